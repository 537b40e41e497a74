#pragma once
// The server side of loopback tests: a listening socket on 127.0.0.1 and the
// connections it accepts, driven by the same Qt event loop as the client.
// Bytes are buffered both ways so tests can script exact byte sequences.
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

namespace pk::peers {

class PeerConnection : public QObject {
    Q_OBJECT
public:
    explicit PeerConnection(int fd, QObject* parent = nullptr);
    ~PeerConnection() override;

    // Queues bytes and writes what the socket takes; the rest follows as it drains.
    void Send(const std::string& bytes);
    // Everything received and not yet taken.
    std::string& Inbox() { return inbox_; }
    // Stops reading (the client's sends then back up) or resumes it.
    void PauseReading(bool paused);
    void SetReceiveBufferSize(int bytes);
    // Ends with a reset (unsent bytes dropped) or, after the queue drained, a close.
    void Reset();
    void CloseAfterSending();

    bool PeerClosed() const { return peerClosed_; }
    bool IsOpen() const { return fd_ >= 0; }

    // Called whenever new bytes landed in the inbox.
    std::function<void(PeerConnection&)> OnData;

private:
    void ReadReady();
    void WriteReady();
    void Flush();
    void CloseFd();

    int fd_;
    QSocketNotifier* reader_ = nullptr;
    QSocketNotifier* writer_ = nullptr;
    std::string inbox_;
    std::string outbox_;
    bool paused_ = false;
    bool closeWhenSent_ = false;
    bool peerClosed_ = false;
};

class LoopbackListener : public QObject {
    Q_OBJECT
public:
    explicit LoopbackListener(QObject* parent = nullptr);
    ~LoopbackListener() override;

    // Listens on 127.0.0.1 (port 0 picks a free one).
    bool Listen(std::uint16_t port = 0);
    std::uint16_t Port() const { return port_; }
    std::vector<PeerConnection*>& Connections() { return connections_; }

    std::function<void(PeerConnection&)> OnAccept;

private:
    void AcceptReady();

    int fd_ = -1;
    std::uint16_t port_ = 0;
    QSocketNotifier* notifier_ = nullptr;
    std::vector<PeerConnection*> connections_;
};

}  // namespace pk::peers
