#pragma once
// A scripted update server on loopback, for the tests and to try the client's
// update by hand. It speaks the update protocol unscrambled: messages both
// ways end in the byte 0x01; the client opens with "update <build>", and the
// script decides what follows.
#include <QObject>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "peers/loopback.h"

namespace pk::peers {

class UpdateServerPeer : public QObject {
public:
    // Runs once the client's first message has arrived.
    using Script = std::function<void(UpdateServerPeer& server, PeerConnection& conn)>;

    explicit UpdateServerPeer(QObject* parent = nullptr);

    bool Listen(std::uint16_t port = 0) { return listener_.Listen(port); }
    std::uint16_t Port() const { return listener_.Port(); }

    Script script;
    // Every message received, without its 0x01, in order.
    const std::vector<std::string>& Requests() const { return requests_; }
    int Accepted() const { return accepted_; }

    // Sends `bytes` in pieces of the given sizes, each after a short pause so
    // that the client reads them apart, then the rest in one piece; closes
    // afterwards when asked.
    void SendInPieces(PeerConnection& conn, std::string bytes, std::vector<std::size_t> pieces,
                      bool closeAfter);

private:
    LoopbackListener listener_;
    std::vector<std::string> requests_;
    int accepted_ = 0;
};

std::string UpdateMessage(const std::string& text);  // text + 0x01
std::string StartMessage(std::int64_t total, std::int64_t crc);

// The scripts of the tests.
UpdateServerPeer::Script ServePatch(std::string patch, std::vector<std::size_t> pieces = {});
// The patch with a CRC that is not its own.
UpdateServerPeer::Script ServeWrongCrc(std::string patch);
UpdateServerPeer::Script ServeRedirect(std::string host, std::uint16_t port);
UpdateServerPeer::Script ServeError(std::string text);
UpdateServerPeer::Script CloseAtOnce();

}  // namespace pk::peers
