#include "game/zrgameio.h"

#include "core/zrmisc.h"
#include "game/zrfmqueue.h"

namespace pk {

namespace {

class NullSender : public GameMessageSender {
public:
    void SendGameMessage(uint8_t, const std::string&) override {}
};

class NullDisplay : public GameDisplay {
public:
    void RedrawOwnField() override {}
    void RefreshDisplay(int, int) override {}
    void PlaySound(std::string_view) override {}
};

class SystemClock : public GameClock {
public:
    int64_t MilliClock() override { return static_cast<int64_t>(pk::MilliClock()); }
    int64_t SecondClock() override { return static_cast<int64_t>(pk::SecondClock()); }
};

// Without the special-block unit an event changes nothing, but the queue must go on.
class NullEffects : public GameEffects {
public:
    void RunSpecialEvent(const tqsb&) override { FinishQueueEntry(); }
    void TickPieceEffects() override {}
};

NullSender null_sender;
NullDisplay null_display;
SystemClock system_clock;
NullEffects null_effects;

GameMessageSender* sender = &null_sender;
GameDisplay* display = &null_display;
GameClock* clock_src = &system_clock;
GameEffects* effects = &null_effects;

}  // namespace

GameMessageSender& GameSender() {
    return *sender;
}
GameDisplay& GameView() {
    return *display;
}
GameClock& GameClocks() {
    return *clock_src;
}
GameEffects& GameFx() {
    return *effects;
}

void SetGameSender(GameMessageSender* s) {
    sender = s ? s : &null_sender;
}
void SetGameView(GameDisplay* d) {
    display = d ? d : &null_display;
}
void SetGameClock(GameClock* c) {
    clock_src = c ? c : &system_clock;
}
void SetGameEffects(GameEffects* e) {
    effects = e ? e : &null_effects;
}

}  // namespace pk
