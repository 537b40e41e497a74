#include "peers/loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace pk::peers {

PeerConnection::PeerConnection(int fd, QObject* parent) : QObject(parent), fd_(fd) {
    reader_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(reader_, &QSocketNotifier::activated, this, [this] { ReadReady(); });
    writer_ = new QSocketNotifier(fd_, QSocketNotifier::Write, this);
    writer_->setEnabled(false);
    connect(writer_, &QSocketNotifier::activated, this, [this] { WriteReady(); });
}

PeerConnection::~PeerConnection() {
    CloseFd();
}

void PeerConnection::CloseFd() {
    if (fd_ < 0) {
        return;
    }
    reader_->setEnabled(false);
    writer_->setEnabled(false);
    ::close(fd_);
    fd_ = -1;
}

void PeerConnection::Send(const std::string& bytes) {
    outbox_ += bytes;
    Flush();
}

void PeerConnection::Flush() {
    while (fd_ >= 0 && !outbox_.empty()) {
        const long n = ::send(fd_, outbox_.data(), outbox_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                writer_->setEnabled(true);
                return;
            }
            outbox_.clear();
            CloseFd();
            return;
        }
        outbox_.erase(0, static_cast<std::size_t>(n));
    }
    if (fd_ >= 0 && outbox_.empty() && closeWhenSent_) {
        ::shutdown(fd_, SHUT_WR);
    }
}

void PeerConnection::WriteReady() {
    writer_->setEnabled(false);
    Flush();
}

void PeerConnection::ReadReady() {
    char buffer[8192];
    const long n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n > 0) {
        inbox_.append(buffer, static_cast<std::size_t>(n));
        if (OnData) {
            OnData(*this);
        }
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return;
    }
    peerClosed_ = true;
    reader_->setEnabled(false);
}

void PeerConnection::PauseReading(bool paused) {
    paused_ = paused;
    if (fd_ >= 0 && !peerClosed_) {
        reader_->setEnabled(!paused);
    }
}

void PeerConnection::SetReceiveBufferSize(int bytes) {
    if (fd_ >= 0) {
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }
}

void PeerConnection::Reset() {
    if (fd_ < 0) {
        return;
    }
    linger option{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &option, sizeof option);
    outbox_.clear();
    CloseFd();
}

void PeerConnection::CloseAfterSending() {
    closeWhenSent_ = true;
    Flush();
}

LoopbackListener::LoopbackListener(QObject* parent) : QObject(parent) {}

LoopbackListener::~LoopbackListener() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool LoopbackListener::Listen(std::uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        return false;
    }
    int yes = 1;
    ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(fd_, 16) != 0) {
        return false;
    }
    socklen_t length = sizeof addr;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &length);
    port_ = ntohs(addr.sin_port);
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { AcceptReady(); });
    return true;
}

void LoopbackListener::AcceptReady() {
    const int fd = ::accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        return;
    }
    auto* conn = new PeerConnection(fd, this);
    connections_.push_back(conn);
    if (OnAccept) {
        OnAccept(*conn);
    }
}

}  // namespace pk::peers
