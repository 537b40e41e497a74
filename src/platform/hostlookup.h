#pragma once
// Host names looked up off the main thread. The system's resolver blocks for as long as its
// name servers take (its whole time-out for a server that does not answer), and the window must
// never wait for that: lookups run on a few worker threads shared by the whole program, and each
// outcome comes back to the thread that asked only through a MainThreadBridge, from its event
// loop. A lookup cannot be stopped once it runs; one that is no longer wanted, or that outlives
// the queue that asked for it, is dropped when it ends, and a worker blocked in one at exit never
// holds the program up.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pk {

class MainThreadBridge;

// A blocking lookup: the IPv4 address in network byte order, or nothing with the WinSock code
// of the failure in `error`.
using HostResolver =
    std::function<std::optional<std::uint32_t>(const std::string& host, int* error)>;

// Replaces the resolver every later lookup runs (tests put in a stand-in); an empty function
// restores the system's (ResolveIPv4). Safe from any thread; a lookup already running keeps the
// resolver it started with.
void SetHostResolver(HostResolver resolver);
// Runs the resolver in force on the calling thread.
std::optional<std::uint32_t> ResolveHost(const std::string& host, int* error);

// The lookups of one owner on the main thread (an AsyncSockets).
class HostLookupQueue {
public:
    using Done = std::function<void(std::optional<std::uint32_t> address, int error)>;
    // Set to drop a lookup: it is skipped if it has not started, and its outcome is not handed on.
    using Cancel = std::shared_ptr<std::atomic<bool>>;

    HostLookupQueue();
    // Every outcome still to come is dropped.
    ~HostLookupQueue();
    HostLookupQueue(const HostLookupQueue&) = delete;
    HostLookupQueue& operator=(const HostLookupQueue&) = delete;

    // Looks `host` up on a worker; `done` runs later on the thread that made this queue, from
    // its event loop, never inside this call, unless the lookup was cancelled first.
    Cancel Start(const std::string& host, Done done);

    // The channel results come back through; shared with the workers' jobs.
    struct Channel;

private:
    std::shared_ptr<Channel> channel_;
    std::unique_ptr<MainThreadBridge> bridge_;
};

}  // namespace pk
