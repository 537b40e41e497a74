// The game thread gives the own game its timing: it polls the key slots with auto-repeat,
// moves the falling piece down by gravity with a lock delay and a smooth fall, starts the next
// piece after the piece delay, and asks for redraws. It never touches game state itself: each
// step that reads or changes it runs on the main thread through the bridge, and the thread
// only measures time and polls keys.
//
// The main window wires it at start-up: a KeyFilter (platform/keyfilter.h) feeds the key state
// table the thread polls; the window creates the TGameThread, hands its error handler the
// application's, calls Start, InstallKeyActions and SetGameInput with the in-game window's
// answers; at shutdown it calls Stop before anything the steps use goes away.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "game/zrkey.h"
#include "platform/keystate.h"
#include "platform/loopthread.h"
#include "platform/threadbridge.h"

namespace pk {

// Pixels of one cell of the own field; the smooth fall moves the piece by up to this much.
extern int BlockSize;

inline constexpr int InGameTickMs = 5;
inline constexpr int IdleTickMs = 200;
inline constexpr int SmoothFallRedrawMs = 20;  // at most one smooth-fall redraw per this
inline constexpr int DropAnimationMs = 75;     // the animated drop takes at most this

// The game thread's fields that the main thread's routines set too.
struct TGameThreadFlags {
    std::atomic<uint8_t> RedrawRequested{0};
    std::atomic<int64_t> LastRedrawTime{0};
};
extern TGameThreadFlags GameThreadFlags;

// ---- main thread: the steps the thread asks for, at the time `now` it measured

// Gravity: one row down when its time has come, else the smooth-fall offset.
void GameGravityStep(int64_t now);
// One row down, or the lock delay, or the lock.
void GameFallStep(int64_t now);
// Starts the next piece once the piece delay has passed.
void GamePieceDelayStep(int64_t now);
void GameRedraw();

class TGameThread {
public:
    // Create on the main thread. The thread exists from here on but waits at its gate, at
    // lowest priority and a 200 ms tick, until Start.
    explicit TGameThread(const KeyStateSource& keys = ApplicationKeyState());
    ~TGameThread();

    TGameThread(const TGameThread&) = delete;
    TGameThread& operator=(const TGameThread&) = delete;

    void Start();
    // The game window's container: hidden outside a game the thread waits at its gate (it
    // polls nothing), shown it runs again. Stop ends a suspended thread as well.
    void Suspend();
    void Resume();
    bool Suspended() const { return loop_.paused(); }
    // Releases a call the thread waits on, stops the loop and joins it. Never hangs, also
    // while the thread is in the middle of a call; the thread makes no call afterwards.
    void Stop();
    // In a game: highest priority and a 5 ms tick; outside one: lowest and 200 ms.
    void SetInGame(bool inGame);
    int Tick() const { return static_cast<int>(loop_.tick().count()); }

    // Exceptions of the main-thread steps go here (the application's error handler).
    void SetErrorHandler(std::function<void(std::exception_ptr)> handler);

    // One pass of the loop. The thread runs it every tick; a test may run it on the main
    // thread, where its calls run directly.
    void Execute();

    // Not used by the game; kept for the record's shape.
    std::array<uint8_t, 4> Flags = {0, 0, 1, 0};

private:
    void GameKeyPoll();
    void GameGravityTick();
    void GamePieceDelayCheck();
    bool Terminated() const { return loop_.stopRequested(); }
    void CallMain(std::function<void()> step);

    const KeyStateSource& keys_;
    MainThreadBridge bridge_;
    LoopThread loop_;
    std::vector<TKeyEvent> KeyEvents;  // game thread only
};

// The program's game thread, when one exists (the main window's).
extern TGameThread* GameThread;
// For the room events: the game starts (true) or ends (false).
void SetGameThreadInGame(bool inGame);

}  // namespace pk
