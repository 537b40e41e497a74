#include "game/zrroomhost.h"

#include "game/zrgame.h"

namespace pk {

void RoomParts::RefreshUserList() {
    if (SlotHooks.RebuildPlayerList)
        SlotHooks.RebuildPlayerList();
}
void RoomParts::SetViewedSlot(int slot) {
    if (SlotHooks.SetViewedSlot)
        SlotHooks.SetViewedSlot(slot);
}
void RoomParts::NextTarget() {
    if (SlotHooks.NextTarget)
        SlotHooks.NextTarget();
}
void RoomParts::RemoveSlotTimed(int slot) {
    if (SlotHooks.RemoveSlotTimed)
        SlotHooks.RemoveSlotTimed(slot);
}

namespace {

class SilentRoomHost : public RoomHost {
public:
    void PartylineAddLine(const std::string&) override {}
    void ShowGameMessage(const std::string&) override {}
    void LobbyChatLine(const std::string&) override {}
    void ShowMessage(const std::string&) override {}
    bool GameLinkUp() const override { return false; }
    void GameDisconnect() override {}
    bool LobbyConnected() const override { return false; }
    void LobbyDisconnectWithoutRetry() override {}
    bool IsIgnored(const std::string&) const override { return false; }
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
