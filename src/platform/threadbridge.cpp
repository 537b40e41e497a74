#include "platform/threadbridge.h"

#include <QCoreApplication>
#include <QThread>

namespace pk {

MainThreadBridge::MainThreadBridge(QObject* parent) : QObject(parent) {}

MainThreadBridge::~MainThreadBridge() {
    state_->shutdown();
}

MainThreadBridge::CallResult MainThreadBridge::call(std::function<void()> work) {
    if (QThread::currentThread() == thread()) {
        if (isShutDown())
            return CallResult::Cancelled;
        return state_->runHere(work);
    }
    auto job = std::make_shared<Job>();
    job->work = std::move(work);
    std::shared_ptr<State> state = state_;
    std::unique_lock lock(state->mutex);
    if (state->shutDown)
        return CallResult::Cancelled;
    state->active.insert(job);
    // The call is delivered to an object that outlives the bridge where there is one (the
    // application, on the same thread), since the call's code may free the bridge; a call
    // still queued when the bridge goes finds its job finished and does nothing.
    QObject* receiver = this;
    if (auto* app = QCoreApplication::instance(); app && app->thread() == thread())
        receiver = app;
    QMetaObject::invokeMethod(
        receiver, [state, job] { state->runQueued(job); }, Qt::QueuedConnection);
    state->changed.wait(lock, [&] { return job->finished; });
    return job->result;
}

void MainThreadBridge::post(std::function<void()> work) {
    std::shared_ptr<State> state = state_;
    {
        std::lock_guard lock(state->mutex);
        if (state->shutDown)
            return;
    }
    // Delivered like `call`'s jobs, to an object that outlives the bridge.
    QObject* receiver = this;
    if (auto* app = QCoreApplication::instance(); app && app->thread() == thread())
        receiver = app;
    QMetaObject::invokeMethod(
        receiver,
        [state, work = std::move(work)] {
            {
                std::lock_guard lock(state->mutex);
                if (state->shutDown)
                    return;
            }
            state->runHere(work);
        },
        Qt::QueuedConnection);
}

void MainThreadBridge::State::runQueued(const std::shared_ptr<Job>& job) {
    {
        std::lock_guard lock(mutex);
        if (job->finished)
            return;  // cancelled while queued
    }
    CallResult result = runHere(job->work);
    std::lock_guard lock(mutex);
    if (!job->finished) {
        job->finished = true;
        job->result = result;
        active.erase(job);
    }
    changed.notify_all();
}

MainThreadBridge::CallResult MainThreadBridge::State::runHere(const std::function<void()>& work) {
    try {
        work();
        return CallResult::Done;
    } catch (...) {
        std::function<void(std::exception_ptr)> handler;
        {
            std::lock_guard lock(mutex);
            handler = errorHandler;
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

void MainThreadBridge::State::shutdown() {
    std::lock_guard lock(mutex);
    shutDown = true;
    for (const auto& job : active) {
        job->finished = true;
        job->result = CallResult::Cancelled;
    }
    active.clear();
    changed.notify_all();
}

void MainThreadBridge::shutdown() {
    state_->shutdown();
}

bool MainThreadBridge::isShutDown() const {
    std::lock_guard lock(state_->mutex);
    return state_->shutDown;
}

void MainThreadBridge::setErrorHandler(std::function<void(std::exception_ptr)> handler) {
    std::lock_guard lock(state_->mutex);
    state_->errorHandler = std::move(handler);
}

}  // namespace pk
