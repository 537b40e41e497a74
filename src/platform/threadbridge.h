#pragma once
// The one way a worker thread runs code on the main thread: `call` waits for
// it (the platform's synchronous call into the main thread), `post` does not.
//
// It can never deadlock at shutdown: once `shutdown` has run, every call that
// is waiting, queued or even running returns at once, and every new call
// returns without running. A call made on the main thread itself runs
// directly. Because a waiting caller may be sent home while its code is
// still queued or running, the code must own what it uses (capture by value)
// or use only objects that outlive the bridge's owner.
#include <QObject>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <set>

namespace pk {

class MainThreadBridge : public QObject {
public:
    enum class CallResult {
        Done,       // ran to its end
        Failed,     // raised an exception; the error handler has it
        Cancelled,  // the bridge was shut down before or while it ran
    };

    // Create on the main thread: calls run on the thread the bridge lives in.
    explicit MainThreadBridge(QObject* parent = nullptr);
    ~MainThreadBridge() override;

    MainThreadBridge(const MainThreadBridge&) = delete;
    MainThreadBridge& operator=(const MainThreadBridge&) = delete;

    // Runs `work` on the main thread and waits until it has run or the
    // bridge shuts down.
    CallResult call(std::function<void()> work);

    // Queues `work` to run on the main thread and returns at once, so a
    // thread that posts never waits for the main thread (which may itself be
    // waiting for that thread to end). Work posted after `shutdown`, or still
    // queued when it comes, is dropped. Posted from the main thread, it runs
    // later from the event loop too, never inside the caller.
    void post(std::function<void()> work);

    // Main thread (any thread is safe). Idempotent.
    void shutdown();
    bool isShutDown() const;

    // Receives, on the main thread, what a call raised. Exceptions never
    // cross the event loop; without a handler they are dropped.
    void setErrorHandler(std::function<void(std::exception_ptr)> handler);

private:
    struct Job {
        std::function<void()> work;
        bool finished = false;
        CallResult result = CallResult::Cancelled;
    };
    // Shared with the queued calls, so that a call whose code frees the bridge (a close
    // handler run from a nested event loop) still finds it when that code returns.
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        std::set<std::shared_ptr<Job>> active;  // queued or running
        bool shutDown = false;
        std::function<void(std::exception_ptr)> errorHandler;

        CallResult runHere(const std::function<void()>& work);
        void runQueued(const std::shared_ptr<Job>& job);
        void shutdown();
    };

    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace pk
