#include "platform/threadbridge.h"

#include <gtest/gtest.h>

#include <QThread>
#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

#include "platform/loopthread.h"
#include "support/qtapp.h"

namespace pk {
namespace {

using Result = MainThreadBridge::CallResult;

// Waits, without an event loop, until `done` holds; false when `limit` passes first. The limit
// only turns a thread that never gets there into a failure instead of a hang.
template <typename Pred>
bool WaitFor(Pred done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override { test::EnsureQtApp(); }
};

TEST_F(BridgeTest, WorkerCallRunsOnTheMainThread) {
    MainThreadBridge bridge;
    QThread* ranOn = nullptr;
    std::atomic<bool> returned{false};
    Result result = Result::Cancelled;
    std::thread worker([&] {
        result = bridge.call([&] { ranOn = QThread::currentThread(); });
        returned = true;
    });
    EXPECT_TRUE(test::ProcessEventsUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_EQ(result, Result::Done);
    EXPECT_EQ(ranOn, QThread::currentThread());
}

TEST_F(BridgeTest, CallOnTheMainThreadRunsAtOnce) {
    MainThreadBridge bridge;
    int runs = 0;
    EXPECT_EQ(bridge.call([&] { ++runs; }), Result::Done);
    EXPECT_EQ(runs, 1);
}

TEST_F(BridgeTest, ExceptionsGoToTheHandlerNotAcrossTheLoop) {
    MainThreadBridge bridge;
    std::string seen;
    bridge.setErrorHandler([&](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            seen = e.what();
        }
    });
    std::atomic<bool> returned{false};
    Result result = Result::Done;
    std::thread worker([&] {
        result = bridge.call([] { throw std::runtime_error("BUG: test"); });
        returned = true;
    });
    EXPECT_TRUE(test::ProcessEventsUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_EQ(result, Result::Failed);
    EXPECT_EQ(seen, "BUG: test");
}

TEST_F(BridgeTest, ShutdownReleasesAWaitingCallThatNeverRan) {
    MainThreadBridge bridge;
    std::atomic<bool> waiting{false};
    bool ran = false;
    Result result = Result::Done;
    std::thread worker([&] {
        waiting = true;
        result = bridge.call([&ran] { ran = true; });
    });
    // The main thread never pumps events here, as when it is busy closing.
    while (!waiting.load()) std::this_thread::yield();
    QThread::msleep(20);
    bridge.shutdown();
    worker.join();
    EXPECT_EQ(result, Result::Cancelled);
    // The queued call is dropped, not run late.
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
    EXPECT_EQ(bridge.call([&ran] { ran = true; }), Result::Cancelled);
    EXPECT_FALSE(ran);
}

TEST_F(BridgeTest, CallsAfterShutdownReturnAtOnceFromAnyThread) {
    MainThreadBridge bridge;
    bridge.shutdown();
    Result result = Result::Done;
    std::thread worker([&] { result = bridge.call([] {}); });
    worker.join();
    EXPECT_EQ(result, Result::Cancelled);
}

TEST_F(BridgeTest, ShutdownFromInsideARunningCallJoinsTheThread) {
    // A call that opens a nested event loop (a message box) while the user
    // closes the program: the worker must come home although its call has
    // not finished.
    auto bridge = std::make_unique<MainThreadBridge>();
    std::atomic<int> passes{0};
    LoopThread thread([&] {
        passes++;
        bridge->call([&] {
            thread.requestStop();
            bridge->shutdown();
            thread.join();
        });
    });
    thread.setTick(std::chrono::milliseconds(1));
    thread.start();
    thread.resume();
    EXPECT_TRUE(
        test::ProcessEventsUntil([&] { return !thread.running() || bridge->isShutDown(); }));
    thread.join();
    EXPECT_EQ(passes.load(), 1);
}

TEST_F(BridgeTest, ACallMayDestroyItsOwnBridge) {
    // The user closes the program from a message box that a call opened: the close handler
    // stops the thread and frees the bridge while that call is still on the stack.
    auto bridge = std::make_unique<MainThreadBridge>();
    std::atomic<bool> returned{false};
    std::atomic<Result> result{Result::Done};
    std::thread worker([&] {
        result = bridge->call([&] { bridge.reset(); });
        returned = true;
    });
    EXPECT_TRUE(test::ProcessEventsUntil([&] { return returned.load(); }));
    worker.join();
    EXPECT_EQ(result.load(), Result::Cancelled);
}

TEST_F(BridgeTest, StoppingAThreadMidCallNeverHangs) {
    MainThreadBridge bridge;
    std::atomic<int> calls{0};
    std::atomic<bool> inCall{false};
    LoopThread thread([&] {
        calls++;
        inCall = true;
        bridge.call([] {});
        inCall = false;
    });
    thread.setTick(std::chrono::milliseconds(1));
    thread.start();
    thread.resume();
    EXPECT_TRUE(test::ProcessEventsUntil([&] { return calls.load() >= 5; }));
    // No more events are processed: the thread soon waits on a call the
    // main thread will not run. Stop it there.
    while (!inCall.load()) std::this_thread::yield();
    thread.requestStop();
    bridge.shutdown();
    thread.join();
    EXPECT_FALSE(inCall.load());
}

TEST_F(BridgeTest, PostRunsLaterOnTheMainThreadAndNeverWaits) {
    MainThreadBridge bridge;
    QThread* ranOn = nullptr;
    int runs = 0;
    // The worker ends while the main thread does not serve its loop: posting
    // must not wait for it (the main thread here waits for the worker).
    std::thread worker([&] {
        bridge.post([&] {
            ranOn = QThread::currentThread();
            ++runs;
        });
    });
    worker.join();
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(test::ProcessEventsUntil([&] { return runs == 1; }));
    EXPECT_EQ(ranOn, QThread::currentThread());
    // From the main thread too it runs from the loop, never inside the caller.
    bridge.post([&] { ++runs; });
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(test::ProcessEventsUntil([&] { return runs == 2; }));
}

TEST_F(BridgeTest, PostedWorkIsDroppedAtShutdownAndItsErrorsCaught) {
    auto bridge = std::make_unique<MainThreadBridge>();
    int errors = 0, runs = 0;
    bridge->setErrorHandler([&](std::exception_ptr) { ++errors; });
    bridge->post([] { throw std::runtime_error("posted"); });
    EXPECT_TRUE(test::ProcessEventsUntil([&] { return errors == 1; }));
    bridge->post([&] { ++runs; });  // still queued when the bridge goes
    bridge.reset();
    MainThreadBridge after;
    after.shutdown();
    after.post([&] { ++runs; });
    bool drained = false;
    MainThreadBridge marker;
    marker.post([&] { drained = true; });
    EXPECT_TRUE(test::ProcessEventsUntil([&] { return drained; }));
    EXPECT_EQ(runs, 0);
}

TEST(LoopThread, StopWakesAPausedOrSleepingThread) {
    std::atomic<int> passes{0};
    {
        LoopThread paused([&] { passes++; });
        paused.start();  // waits at the gate
    }
    EXPECT_EQ(passes.load(), 0);

    LoopThread sleeping([&] { passes++; });
    sleeping.setTick(std::chrono::hours(1));
    sleeping.start();
    sleeping.resume();
    ASSERT_TRUE(WaitFor([&] { return passes.load() == 1; }));
    sleeping.requestStop();
    sleeping.join();
    EXPECT_EQ(passes.load(), 1);
}

TEST(LoopThread, AShorterTickEndsTheLongSleepInProgress) {
    std::atomic<int> passes{0};
    LoopThread thread([&] { passes++; });
    thread.setTick(std::chrono::hours(1));
    thread.start();
    thread.resume();
    ASSERT_TRUE(WaitFor([&] { return passes.load() == 1; }));
    // A moment for the thread to begin its hour's sleep (were it not asleep yet, the new tick
    // would apply anyway: the test would prove less but never fail falsely).
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // The game starts: the next passes must come long before that hour is up, so the sleep in
    // progress has to end early.
    thread.setTick(std::chrono::milliseconds(1));
    EXPECT_EQ(thread.tick(), std::chrono::milliseconds(1));
    EXPECT_TRUE(WaitFor([&] { return passes.load() >= 3; }));
    thread.requestStop();
    thread.join();
}

TEST(LoopThread, PauseIsAGateBetweenPasses) {
    std::atomic<int> passes{0};
    LoopThread thread([&] { passes++; });
    thread.setTick(std::chrono::milliseconds(1));
    thread.setPriority(LoopThread::Priority::Highest);
    thread.start();
    thread.resume();
    ASSERT_TRUE(WaitFor([&] { return passes.load() >= 3; }));
    thread.pause();
    QThread::msleep(10);  // lets a pass that had begun finish
    int atGate = passes.load();
    QThread::msleep(20);
    EXPECT_LE(passes.load(), atGate + 1);
    thread.setPriority(LoopThread::Priority::Lowest);
    thread.resume();
    EXPECT_TRUE(WaitFor([&] { return passes.load() >= atGate + 3; }));
    thread.requestStop();
    thread.join();
}

}  // namespace
}  // namespace pk
