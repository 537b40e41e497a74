#include "lobby/zrregionping.h"

#include <QTimer>
#include <algorithm>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbymodel.h"

namespace pk {

namespace {

constexpr char kPing[] = "PING";

tsbregion* RegionById(std::int32_t id) {
    for (tsbregion& region : SbRegions) {
        if (region.id == id) {
            return &region;
        }
    }
    return nullptr;
}

int PingTries() {
    return std::max(1, Settings.lobby.pingtries);
}

// Every game of the current room in a region (all of them for none) shows its ping again.
void RewriteGameRows(const tsbregion* region) {
    if (!LobbyModel.currentRoom) {
        return;
    }
    for (const auto& game : LobbyModel.currentRoom->games.Items()) {
        if (!region || SameText(game->region, region->name)) {
            LobbyView().UpdateGameRow(game->id);
        }
    }
}

void RefreshRegionViews() {
    LobbyHost& host = LobbyShell();
    host.RegionsMeasured();
    if (host.LocationDialogVisible()) {
        host.FillRegionList();
    }
}

}  // namespace

TRegionPinger::TRegionPinger(Clock clock)
    : clock_(clock ? std::move(clock)
                   : Clock([] { return static_cast<std::int64_t>(MilliClock()); })),
      timer_(std::make_unique<QTimer>()) {
    pingsock.Timeout = 0;  // our own deadline covers the connect too
    pingsock.OnSessionConnected = [this](TZRSock*, int s) {
        LogAndGoOn("pingsockSessionConnected", [&] { Connected(s); });
    };
    pingsock.OnDataAvailable = [this](TZRSock*, int s) {
        LogAndGoOn("pingsockDataAvailable", [&] { DataAvailable(s); });
    };
    pingsock.OnDataNeeded = [this](TZRSock*, int s) {
        LogAndGoOn("pingsockDataNeeded", [&] { DataNeeded(s); });
    };
    pingsock.OnSessionClosed = [this](TZRSock*, int s) {
        LogAndGoOn("pingsockSessionClosed", [&] { Closed(s); });
    };
    pingsock.OnErrorOccurred = [this](TZRSock*, int s, int, const std::string&,
                                      const std::string&) {
        LogAndGoOn("pingsockErrorOccurred", [&] { Error(s); });
    };
    timer_->setInterval(RegionPingTimerMs);
    QObject::connect(timer_.get(), &QTimer::timeout,
                     [this] { LogAndGoOn("pingtimer", [&] { CheckTimeouts(); }); });
}

TRegionPinger::~TRegionPinger() {
    StopAll();
}

void TRegionPinger::StopAll() {
    const auto open = std::move(pings_);
    pings_.clear();
    for (const auto& [socket, ping] : open) {
        pingsock.Disconnect(socket);
    }
    for (tsbregion& region : SbRegions) {
        region.socket = 0;
    }
    timer_->stop();
}

void TRegionPinger::StartRegionPings() {
    StopAll();
    for (tsbregion& region : SbRegions) {
        region.socket = 0;
        region.sendTime = 0;
        region.time = 0;
        region.answers = 0;
        region.tries = 0;
        region.givenUp = 0;
    }
    RefreshRegionViews();
    RewriteGameRows(nullptr);
    const int concurrent = std::clamp(Settings.lobby.concurrentpings, 1, MaxConcurrentPings);
    for (int i = 0; i < concurrent; ++i) {
        PingNextRegion();
    }
}

void TRegionPinger::PingNextRegion() {
    const int tries = PingTries();
    for (tsbregion& region : SbRegions) {
        if (region.socket != 0 || region.tries >= tries) {
            continue;
        }
        if (region.host.empty() || region.port <= 0 || region.port > 65535) {
            GiveUp(region);  // nothing to connect to
            continue;
        }
        pingsock.IPAddr = region.host;
        pingsock.Port = std::to_string(region.port);
        int socket = 0;
        pingsock.Connect(socket);
        if (socket <= 0) {
            GiveUp(region);
            continue;
        }
        region.socket = socket;
        Ping& ping = pings_[socket];
        ping.regionId = region.id;
        ping.deadline = clock_() + RegionPingTimeoutMs;
        ArmTimer();
        return;
    }
}

void TRegionPinger::ArmTimer() {
    if (!pings_.empty() && !timer_->isActive()) {
        timer_->start();
    } else if (pings_.empty()) {
        timer_->stop();
    }
}

void TRegionPinger::SendPing(int socket, Ping& ping) {
    const int sent = pingsock.sendstring(socket, ping.unsent);
    // A failed send reports an error, which may already have ended this ping.
    const auto it = pings_.find(socket);
    if (it == pings_.end()) {
        return;
    }
    it->second.unsent.erase(0, static_cast<std::size_t>(std::max(0, sent)));
}

void TRegionPinger::Connected(int socket) {
    const auto it = pings_.find(socket);
    if (it == pings_.end()) {
        pingsock.Disconnect(socket);
        return;
    }
    tsbregion* region = RegionById(it->second.regionId);
    if (!region) {
        Finish(socket, TryEnd::Failed);
        return;
    }
    it->second.sent = true;
    it->second.unsent = kPing;
    region->sendTime = clock_();
    SendPing(socket, it->second);
}

void TRegionPinger::DataNeeded(int socket) {
    const auto it = pings_.find(socket);
    if (it != pings_.end() && it->second.sent && !it->second.unsent.empty()) {
        SendPing(socket, it->second);
    }
}

void TRegionPinger::DataAvailable(int socket) {
    const auto it = pings_.find(socket);
    if (it == pings_.end()) {
        pingsock.Disconnect(socket);
        return;
    }
    // Bytes before our "PING" went out are no answer to it.
    Finish(socket, it->second.sent ? TryEnd::Answered : TryEnd::Failed);
}

void TRegionPinger::Closed(int socket) {
    if (pings_.count(socket) == 0) {
        pingsock.Disconnect(socket);
        return;
    }
    Finish(socket, TryEnd::Failed);
}

void TRegionPinger::Error(int socket) {
    if (pings_.count(socket) == 0) {
        pingsock.Disconnect(socket);
        return;
    }
    Finish(socket, TryEnd::SocketError);
}

void TRegionPinger::CheckTimeouts() {
    const std::int64_t now = clock_();
    std::vector<int> late;
    for (const auto& [socket, ping] : pings_) {
        if (now >= ping.deadline) {
            late.push_back(socket);
        }
    }
    std::sort(late.begin(), late.end());
    for (int socket : late) {
        Finish(socket, TryEnd::Failed);
    }
    ArmTimer();
}

void TRegionPinger::Finish(int socket, TryEnd end) {
    const auto it = pings_.find(socket);
    if (it == pings_.end()) {
        return;
    }
    const std::int32_t regionId = it->second.regionId;
    pings_.erase(it);
    pingsock.Disconnect(socket);
    if (tsbregion* region = RegionById(regionId); region && region->socket == socket) {
        region->socket = 0;
        if (end == TryEnd::SocketError) {
            GiveUp(*region);
        } else {
            const bool answered = end == TryEnd::Answered;
            const std::int64_t elapsed =
                answered ? std::max<std::int64_t>(0, clock_() - region->sendTime) : 0;
            CountTry(*region, answered, elapsed);
        }
    }
    ArmTimer();
    PingNextRegion();
}

void TRegionPinger::GiveUp(tsbregion& region) {
    // Its remaining tries all fail now: a region whose address fails is not tried again until
    // the next start.
    const int tries = PingTries();
    while (region.tries < tries) {
        CountTry(region, false, 0);
    }
}

void TRegionPinger::CountTry(tsbregion& region, bool answered, std::int64_t elapsed) {
    region.tries += 1;
    if (answered) {
        region.answers += 1;
        region.time = ClampToInt32(static_cast<std::int64_t>(region.time) + elapsed);
    }
    if (region.tries >= PingTries()) {
        RegionDone(region);
    }
}

void TRegionPinger::RegionDone(tsbregion& region) {
    const int tries = PingTries();
    if (region.answers > 0) {
        region.time = region.time / region.answers;
    } else {
        region.time = NoPingTime;
    }
    region.givenUp = region.answers < tries ? 1 : 0;
    region.answers = tries;
    RefreshRegionViews();
    RewriteGameRows(&region);
}

}  // namespace pk
