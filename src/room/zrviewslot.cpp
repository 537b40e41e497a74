#include "room/zrviewslot.h"

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"

namespace pk {

namespace {

constexpr char Sep = '\x02';
constexpr int kViewedStats = rfNextPiece | rfLevel | rfLineCount | rfHoldPiece;  // 0x20E

void KeepSlot(int slot) {
    SetViewedSlot(slot);
}

}  // namespace

void RequestViewedSlot(int slot) {
    GameSender().SendGameMessage(0x21, std::to_string(slot));
}

void SetViewedSlot(int slot, const std::string& nextPiece, const std::string& holdPiece, int level,
                   int lineCount) {
    if (!ValidSlot(slot))
        return;
    tmegame& g = ClientState.game;
    g.NextPieceToken = nextPiece;
    g.HoldToken = holdPiece;
    g.OwnLevel = level;
    g.LinesCleared = lineCount;
    if (slot != g.OwnSlot) {
        g.OwnSlot = slot;
        GameView().RefreshDisplay(rfEverything, slot);
    } else {
        GameView().RefreshDisplay(kViewedStats, slot);
    }
}

void SetViewedSlot(int slot) {
    const tmegame& g = ClientState.game;
    SetViewedSlot(slot, "", "", g.OwnLevel, g.LinesCleared);
}

void RoomMsgViewedSlot(const std::string& payload) {
    if (!ClientState.game.Spectating) {
        AddLogLine("Viewed slot message ignored while playing");
        return;
    }
    const auto slot = ParseInt(TokenAt(1, payload, Sep));
    if (!slot || !ValidSlot(*slot)) {
        AddLogLine("Viewed slot message without a valid slot dropped");
        return;
    }
    SetViewedSlot(*slot, TokenAt(4, payload, Sep), TokenAt(5, payload, Sep),
                  ParseInt(TokenAt(2, payload, Sep)).value_or(0),
                  ParseInt(TokenAt(3, payload, Sep)).value_or(0));
}

void InstallViewedSlot() {
    SlotHooks.SetViewedSlot = &KeepSlot;
}

}  // namespace pk
