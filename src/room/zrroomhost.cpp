#include "room/zrroomhost.h"

#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "game/zrkey.h"
#include "game/zrtimedsb.h"
#include "room/zrgamelink.h"

namespace pk {

bool RoomLinks::GameLinkUp() const {
    return ClientState.game.GameLinkState != LinkDown;
}
void RoomLinks::GameDisconnect() {
    pk::GameDisconnect();
}

void RoomParts::RefreshUserList() {
    if (SlotHooks.RebuildPlayerList)
        SlotHooks.RebuildPlayerList();
}
void RoomParts::SetViewedSlot(int slot) {
    if (SlotHooks.SetViewedSlot)
        SlotHooks.SetViewedSlot(slot);
}
void RoomParts::NextTarget() {
    pk::NextTarget();
}
void RoomParts::RemoveSlotTimed(int slot) {
    if (TimedSpecials && slot >= 1)
        TimedSpecials->cleartimed(slot);
}
void RoomParts::RemoveAllTimed() {
    if (TimedSpecials)
        TimedSpecials->cleartimed(0);
}
void RoomParts::ResetKeyTable(int mask) {
    pk::ResetKeyTable(mask);
}
void RoomParts::SetGameThreadInGame(bool inGame) {
    pk::SetGameThreadInGame(inGame);
}

namespace {

class SilentRoomHost : public RoomHost {
public:
    void PartylineAddLine(const std::string&) override {}
    void ShowGameMessage(const std::string&) override {}
    void LobbyChatLine(const std::string&) override {}
    void ShowMessage(const std::string&) override {}
};

SilentRoomHost silentHost;
RoomHost* installedHost = nullptr;

}  // namespace

RoomHost& Room() {
    return installedHost ? *installedHost : silentHost;
}

void SetRoomHost(RoomHost* host) {
    installedHost = host;
}

}  // namespace pk
