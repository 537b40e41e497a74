#include "game/zrgamethread.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <initializer_list>

#include "core/zrlog.h"
#include "game/zrfield.h"
#include "game/zrfmqueue.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "game/zrowngame.h"

namespace pk {

int BlockSize = 16;
TGameThreadFlags GameThreadFlags;
TGameThread* GameThread = nullptr;

namespace {

int64_t Now() {
    return GameClocks().MilliClock();
}

}  // namespace

// ---------------------------------------------------------------- main thread

void GameGravityStep(int64_t now) {
    LogErrors("GameGravityTick", [now] {
        const tmegame& g = ClientState.game;
        if (!GameTiming.PieceActive || GameInput().ClosingDown() || g.GamePaused ||
            g.PieceX == -1 || g.QueueBusy != 0 || g.PieceWaiting != 0) {
            return;
        }
        if (GameTiming.NextFallTime == 0)
            GameTiming.NextFallTime = now;
        const int64_t next = GameTiming.NextFallTime;
        if (next <= now) {
            GameFallStep(now);
        } else if (!GameTiming.LockPending && GameInput().AnimDrop()) {
            const double interval = std::max<int32_t>(GameTiming.FallInterval, 1);
            const double part = 1.0 - static_cast<double>(next - now) / interval;
            const auto offset =
                std::clamp(static_cast<int32_t>(std::nearbyint(BlockSize * part)), 0, BlockSize);
            if (offset != GameTiming.FallOffset) {
                GameTiming.FallOffset = offset;
                if (now - GameThreadFlags.LastRedrawTime >= SmoothFallRedrawMs) {
                    GameThreadFlags.LastRedrawTime = now;
                    GameThreadFlags.RedrawRequested = 1;
                }
            }
        }
    });
}

void GameFallStep(int64_t now) {
    LogErrors("GameFallStep", [now] {
        tmegame& g = ClientState.game;
        if (!collision(g.PieceX, g.PieceY + 1, g.CurrentPiece, OwnField())) {
            GameTiming.LockPending = 0;
            g.PieceY += 1;
            GameTiming.FallOffset = 0;
            GameTiming.NextFallTime = now + GameTiming.FallInterval;
            GameThreadFlags.RedrawRequested = 1;
        } else if (GameTiming.LockPending) {
            GameView().PlaySound("hitbottom");
            QueueEndPiece(true);
        } else {
            // The lock delay is one row time of the level: the piece may still be moved.
            GameTiming.LockPending = 1;
            GameTiming.NextFallTime = now + GameTiming.LevelFallInterval;
            GameTiming.FallOffset = BlockSize;
            GameThreadFlags.RedrawRequested = 1;
        }
    });
}

void GamePieceDelayStep(int64_t now) {
    const int64_t start = GameTiming.PieceDelayStart;
    if (start > 0 && start + Settings.rules.piecedelay <= now) {
        // startpiece clears PieceDelayStart once the piece really starts; a blocked start is
        // tried again at the next loop.
        DelayedPieceStart();
    }
}

void GameRedraw() {
    GameView().RedrawOwnField();
}

// ---------------------------------------------------------------- the thread

TGameThread::TGameThread(const KeyStateSource& keys) : keys_(keys), loop_([this] { Execute(); }) {
    KeyEvents.reserve(KeySlotCount);
    loop_.setTick(std::chrono::milliseconds(IdleTickMs));
    loop_.setPriority(LoopThread::Priority::Lowest);
    bridge_.setErrorHandler([](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            AddLogLine(e.what());
        } catch (...) {
        }
    });
    loop_.start();
    if (!GameThread)
        GameThread = this;
}

TGameThread::~TGameThread() {
    Stop();
    if (GameThread == this)
        GameThread = nullptr;
}

void TGameThread::Start() {
    loop_.resume();
}

void TGameThread::Suspend() {
    loop_.pause();
}

void TGameThread::Resume() {
    loop_.resume();
}

void TGameThread::Stop() {
    // The order matters: the thread may be waiting on the main thread, which is here.
    loop_.requestStop();
    bridge_.shutdown();
    loop_.join();
}

void TGameThread::SetInGame(bool inGame) {
    loop_.setPriority(inGame ? LoopThread::Priority::Highest : LoopThread::Priority::Lowest);
    loop_.setTick(std::chrono::milliseconds(inGame ? InGameTickMs : IdleTickMs));
}

void TGameThread::SetErrorHandler(std::function<void(std::exception_ptr)> handler) {
    bridge_.setErrorHandler(std::move(handler));
}

void TGameThread::CallMain(std::function<void()> step) {
    bridge_.call(std::move(step));
}

void TGameThread::Execute() {
    GameThreadFlags.RedrawRequested = 0;
    // The keys are polled on both sides of the gravity step; a stop asked for
    // during any step skips the rest of the pass.
    for (auto step : {&TGameThread::GameKeyPoll, &TGameThread::GameGravityTick,
                      &TGameThread::GameKeyPoll, &TGameThread::GamePieceDelayCheck}) {
        if (Terminated())
            return;
        (this->*step)();
    }
    if (Terminated())
        return;
    if (GameThreadFlags.RedrawRequested)
        CallMain(GameRedraw);
}

void TGameThread::GameKeyPoll() {
    const int64_t now = Now();
    KeyEvents.clear();
    TKeyTable& table = KeyTable();
    for (int action = 0; action < KeySlotCount; ++action) {
        if (Terminated() || KeyTableBusy)
            continue;
        TKeySlotRec& slot = table[static_cast<size_t>(action)];
        PollKeySlot(slot, action, keys_.keyDown(slot.KeyInUse), now, KeyEvents);
    }
    if (!KeyEvents.empty() && !Terminated()) {
        // The call owns its copy: a call cut short at shutdown may still be running.
        CallMain([events = KeyEvents] { RunKeyEvents(events); });
    }
}

void TGameThread::GameGravityTick() {
    // Between pieces and between games there is nothing to ask the main thread.
    if (!GameTiming.PieceActive)
        return;
    const int64_t now = Now();
    CallMain([now] { GameGravityStep(now); });
}

void TGameThread::GamePieceDelayCheck() {
    if (GameTiming.PieceDelayStart <= 0)
        return;
    const int64_t now = Now();
    CallMain([now] { GamePieceDelayStep(now); });
}

void SetGameThreadInGame(bool inGame) {
    if (GameThread)
        GameThread->SetInGame(inGame);
}

}  // namespace pk
