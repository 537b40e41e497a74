#include "peers/update_server.h"

#include <QPointer>
#include <QTimer>
#include <memory>

#include "peers/patch_builder.h"

namespace pk::peers {
namespace {

constexpr char kEnd = '\x01';
constexpr int kPauseMs = 3;

}  // namespace

UpdateServerPeer::UpdateServerPeer(QObject* parent) : QObject(parent) {
    listener_.OnAccept = [this](PeerConnection& conn) {
        ++accepted_;
        // The script answers the first message of each connection.
        conn.OnData = [this, first = true](PeerConnection& c) mutable {
            std::string& inbox = c.Inbox();
            for (auto end = inbox.find(kEnd); end != std::string::npos; end = inbox.find(kEnd)) {
                requests_.push_back(inbox.substr(0, end));
                inbox.erase(0, end + 1);
                if (first && script) {
                    first = false;
                    script(*this, c);
                }
            }
        };
    };
}

void UpdateServerPeer::SendInPieces(PeerConnection& conn, std::string bytes,
                                    std::vector<std::size_t> pieces, bool closeAfter) {
    // Each step sends one piece and schedules the next; the connection may go
    // away meanwhile, which QPointer tells. Only the pending timer owns the
    // step: the step itself holds a weak reference, so a timer that Qt drops
    // with its connection frees the plan instead of leaving a cycle behind.
    struct Plan {
        std::string bytes;
        std::vector<std::size_t> pieces;
        std::size_t next = 0;
        bool close = false;
    };
    auto plan = std::make_shared<Plan>(Plan{std::move(bytes), std::move(pieces), 0, closeAfter});
    QPointer<PeerConnection> target(&conn);
    auto step = std::make_shared<std::function<void()>>();
    *step = [plan, target, self = std::weak_ptr<std::function<void()>>(step)] {
        if (!target || !target->IsOpen()) {
            return;
        }
        if (plan->next < plan->pieces.size() && !plan->bytes.empty()) {
            const std::size_t n = std::min(plan->pieces[plan->next++], plan->bytes.size());
            target->Send(plan->bytes.substr(0, n));
            plan->bytes.erase(0, n);
            if (auto next = self.lock()) {
                QTimer::singleShot(kPauseMs, target, [next] { (*next)(); });
            }
            return;
        }
        target->Send(plan->bytes);
        if (plan->close) {
            target->CloseAfterSending();
        }
    };
    (*step)();
}

std::string UpdateMessage(const std::string& text) {
    return text + kEnd;
}

std::string StartMessage(std::int64_t total, std::int64_t crc) {
    return UpdateMessage("start " + std::to_string(total) + " " + std::to_string(crc));
}

UpdateServerPeer::Script ServePatch(std::string patch, std::vector<std::size_t> pieces) {
    return [patch = std::move(patch), pieces = std::move(pieces)](UpdateServerPeer& server,
                                                                  PeerConnection& conn) {
        const auto crc = static_cast<std::int32_t>(Crc(patch));
        server.SendInPieces(
            conn, StartMessage(static_cast<std::int64_t>(patch.size()), crc) + patch, pieces, true);
    };
}

UpdateServerPeer::Script ServeWrongCrc(std::string patch) {
    return [patch = std::move(patch)](UpdateServerPeer& server, PeerConnection& conn) {
        const auto crc = static_cast<std::int32_t>(Crc(patch) ^ 0x5A5A5A5Au);
        server.SendInPieces(
            conn, StartMessage(static_cast<std::int64_t>(patch.size()), crc) + patch, {}, true);
    };
}

UpdateServerPeer::Script ServeRedirect(std::string host, std::uint16_t port) {
    return [host = std::move(host), port](UpdateServerPeer&, PeerConnection& conn) {
        conn.Send(UpdateMessage("redirect " + host + " " + std::to_string(port)));
        conn.CloseAfterSending();
    };
}

UpdateServerPeer::Script ServeError(std::string text) {
    return [text = std::move(text)](UpdateServerPeer&, PeerConnection& conn) {
        conn.Send(UpdateMessage("error " + text));
        conn.CloseAfterSending();
    };
}

UpdateServerPeer::Script CloseAtOnce() {
    return [](UpdateServerPeer&, PeerConnection& conn) { conn.CloseAfterSending(); };
}

}  // namespace pk::peers
