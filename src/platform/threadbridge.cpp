#include "platform/threadbridge.h"

#include <QThread>

namespace pk {

MainThreadBridge::MainThreadBridge(QObject* parent) : QObject(parent) {}

MainThreadBridge::~MainThreadBridge() {
    shutdown();
}

MainThreadBridge::CallResult MainThreadBridge::call(std::function<void()> work) {
    if (QThread::currentThread() == thread()) {
        if (isShutDown())
            return CallResult::Cancelled;
        return runHere(work);
    }
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    std::unique_lock lock(mutex_);
    if (shutDown_)
        return CallResult::Cancelled;
    active_.insert(job);
    // The queued functor dies with the bridge if the bridge goes first; the
    // shutdown in the destructor has released the waiter by then.
    QMetaObject::invokeMethod(
        this, [this, job] { runQueued(job); }, Qt::QueuedConnection);
    changed_.wait(lock, [&] { return job->finished; });
    return job->result;
}

void MainThreadBridge::runQueued(const std::shared_ptr<Job>& job) {
    {
        std::lock_guard lock(mutex_);
        if (job->finished)
            return;  // cancelled while queued
    }
    CallResult result = runHere(job->work);
    std::lock_guard lock(mutex_);
    if (!job->finished) {
        job->finished = true;
        job->result = result;
        active_.erase(job);
    }
    changed_.notify_all();
}

MainThreadBridge::CallResult MainThreadBridge::runHere(const std::function<void()>& work) {
    try {
        work();
        return CallResult::Done;
    } catch (...) {
        std::function<void(std::exception_ptr)> handler;
        {
            std::lock_guard lock(mutex_);
            handler = errorHandler_;
        }
        if (handler) {
            try {
                handler(std::current_exception());
            } catch (...) {
            }
        }
        return CallResult::Failed;
    }
}

void MainThreadBridge::shutdown() {
    std::lock_guard lock(mutex_);
    shutDown_ = true;
    for (const auto& job : active_) {
        job->finished = true;
        job->result = CallResult::Cancelled;
    }
    active_.clear();
    changed_.notify_all();
}

bool MainThreadBridge::isShutDown() const {
    std::lock_guard lock(mutex_);
    return shutDown_;
}

void MainThreadBridge::setErrorHandler(std::function<void(std::exception_ptr)> handler) {
    std::lock_guard lock(mutex_);
    errorHandler_ = std::move(handler);
}

}  // namespace pk
