#include "platform/hostlookup.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/threadbridge.h"
#include "platform/winsock.h"

namespace pk {

namespace {

// Lookups that may run at once in the whole program. A few connections start together (the
// region pings, a link, the update client); more workers would only help a resolver that hangs,
// and then each blocked one stays a thread until its time-out.
constexpr int kMaxLookupThreads = 8;

// Never freed, like the pool below: a worker may read them while the program ends.
std::mutex& ResolverMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}
HostResolver& Resolver() {
    static auto* resolver = new HostResolver;
    return *resolver;
}

}  // namespace

void SetHostResolver(HostResolver resolver) {
    std::lock_guard lock(ResolverMutex());
    Resolver() = std::move(resolver);
}

std::optional<std::uint32_t> ResolveHost(const std::string& host, int* error) {
    HostResolver resolver;
    {
        std::lock_guard lock(ResolverMutex());
        resolver = Resolver();
    }
    if (!resolver) {
        return ResolveIPv4(host, error);
    }
    int code = 0;
    const auto address = resolver(host, &code);
    if (error) {
        *error = address ? 0 : (code != 0 ? code : wsa::kHostNotFound);
    }
    return address;
}

// The way back to the owner's thread. The bridge pointer is cleared, under the mutex, before
// the bridge goes, so a worker that ends late never touches a freed bridge.
struct HostLookupQueue::Channel {
    std::mutex mutex;
    MainThreadBridge* bridge = nullptr;

    void Deliver(const Cancel& cancel, Done done, std::optional<std::uint32_t> address, int error) {
        std::lock_guard lock(mutex);
        if (bridge == nullptr || cancel->load()) {
            return;
        }
        // post never waits for the main thread, so holding the mutex here cannot deadlock.
        bridge->post([cancel, done = std::move(done), address, error] {
            if (!cancel->load()) {
                done(address, error);
            }
        });
    }
};

namespace {

struct Job {
    std::string host;
    std::shared_ptr<HostLookupQueue::Channel> channel;
    HostLookupQueue::Cancel cancel;
    HostLookupQueue::Done done;
};

// The workers and their queue, shared by every owner. Never freed: a worker may still be
// blocked in a lookup when the program ends, and must find its pool when it returns.
struct Pool {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> jobs;
    int threads = 0;
    int idle = 0;
};

Pool& ThePool() {
    static Pool* pool = new Pool;
    return *pool;
}

void RunJob(Job& job) {
    if (job.cancel->load()) {
        return;
    }
    int error = 0;
    std::optional<std::uint32_t> address;
    try {
        address = ResolveHost(job.host, &error);
    } catch (...) {
        error = wsa::kNoRecovery;  // a stand-in that throws is a lookup that failed
    }
    job.channel->Deliver(job.cancel, std::move(job.done), address, error);
}

void Worker(Pool& pool) {
    std::unique_lock lock(pool.mutex);
    for (;;) {
        ++pool.idle;
        pool.wake.wait(lock, [&] { return !pool.jobs.empty(); });
        --pool.idle;
        Job job = std::move(pool.jobs.front());
        pool.jobs.pop_front();
        lock.unlock();
        RunJob(job);
        job = Job{};  // what the job holds goes before the lock is taken again
        lock.lock();
    }
}

}  // namespace

HostLookupQueue::HostLookupQueue() : channel_(std::make_shared<Channel>()) {}

HostLookupQueue::~HostLookupQueue() {
    {
        std::lock_guard lock(channel_->mutex);
        channel_->bridge = nullptr;
    }
    bridge_.reset();  // shuts down: results already posted are dropped
}

HostLookupQueue::Cancel HostLookupQueue::Start(const std::string& host, Done done) {
    if (!bridge_) {
        bridge_ = std::make_unique<MainThreadBridge>();
        std::lock_guard lock(channel_->mutex);
        channel_->bridge = bridge_.get();
    }
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    Pool& pool = ThePool();
    std::unique_lock lock(pool.mutex);
    pool.jobs.push_back(Job{host, channel_, cancel, std::move(done)});
    if (pool.jobs.size() > static_cast<std::size_t>(pool.idle) &&
        pool.threads < kMaxLookupThreads) {
        try {
            std::thread(Worker, std::ref(pool)).detach();
            ++pool.threads;
        } catch (const std::system_error&) {
            // No thread to be had: the workers there are take the job; without any, it fails
            // at once as the lookup would have.
            if (pool.threads == 0) {
                Job job = std::move(pool.jobs.back());
                pool.jobs.pop_back();
                lock.unlock();
                job.channel->Deliver(job.cancel, std::move(job.done), std::nullopt, wsa::kNoBufs);
                return cancel;
            }
        }
    }
    pool.wake.notify_one();
    return cancel;
}

}  // namespace pk
