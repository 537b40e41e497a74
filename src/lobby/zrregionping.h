#pragma once
// The region pinger: measures the answer time of every game-server region over its own
// client socket (the lobby window's `pingsock`), a few regions at once. A region counts an
// answer when any bytes arrive after "PING" went out; the bytes themselves are not read.
//
// A try that ends without an answer (closed quietly, or no answer within RegionPingTimeoutMs)
// counts as a failed try; a socket error (a name that does not resolve, refused, reset) gives
// the region up at once, with no further tries. Once a region has had as many tries as the
// ping-tries option asks for, it is done: measured with the average of its answers when all of
// them answered, otherwise given up with the average of the answers it had (9999 with none).
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

#include "net/zrsock.h"

class QTimer;

namespace pk {

struct tsbregion;

class TRegionPinger {
public:
    using Clock = std::function<std::int64_t()>;
    // `clock` defaults to MilliClock; tests pass their own.
    explicit TRegionPinger(Clock clock = {});
    ~TRegionPinger();
    TRegionPinger(const TRegionPinger&) = delete;
    TRegionPinger& operator=(const TRegionPinger&) = delete;

    // Closes every open ping, resets every region and starts as many pings as the
    // concurrent-pings option allows.
    void StartRegionPings();
    // Starts a ping to the first region that still needs one; at most one per call. A region
    // that cannot even start (no host or port) counts a failed try and the next one is taken.
    void PingNextRegion();
    // Gives up every ping whose time ran out by the clock; the timer calls it too.
    void CheckTimeouts();
    // Closes every open ping without counting anything.
    void StopAll();

    int OpenPings() const { return static_cast<int>(pings_.size()); }
    TZRSock& Socket() { return pingsock; }

private:
    struct Ping {
        std::int32_t regionId = 0;
        std::int64_t deadline = 0;
        bool sent = false;
        std::string unsent;  // what is left of "PING" after a short send
    };
    void Connected(int socket);
    void DataAvailable(int socket);
    void DataNeeded(int socket);
    void Closed(int socket);
    void Error(int socket);
    enum class TryEnd { Answered, Failed, SocketError };
    // Ends a ping: closes its connection and counts the try (all of them after an error).
    void Finish(int socket, TryEnd end);
    void CountTry(tsbregion& region, bool answered, std::int64_t elapsed);
    void GiveUp(tsbregion& region);
    void RegionDone(tsbregion& region);
    void SendPing(int socket, Ping& ping);
    void ArmTimer();

    TZRSock pingsock;
    Clock clock_;
    std::unordered_map<int, Ping> pings_;
    std::unique_ptr<QTimer> timer_;
};

}  // namespace pk
