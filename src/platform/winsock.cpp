#include "platform/winsock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>
#include <QtGlobal>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>

#include "platform/hostlookup.h"

namespace pk {

struct AsyncSockets::Conn {
    int fd = -1;
    QSocketNotifier* reader = nullptr;
    QSocketNotifier* writer = nullptr;
    QTimer* timer = nullptr;
    bool connecting = false;  // also while its host name is looked up (fd still -1)
    bool closeDelivered = false;
    std::size_t readLimit = 0;
    HostLookupQueue::Cancel lookup;  // set while a lookup runs for it

    // Notifiers may be the sender of the signal being handled, so they are
    // released through the event loop, never deleted in place.
    void Release() {
        for (QObject* object : {static_cast<QObject*>(reader), static_cast<QObject*>(writer),
                                static_cast<QObject*>(timer)}) {
            if (object) {
                object->disconnect();
                object->deleteLater();
            }
        }
        if (reader) {
            reader->setEnabled(false);
        }
        if (writer) {
            writer->setEnabled(false);
        }
        if (timer) {
            timer->stop();
        }
        reader = nullptr;
        writer = nullptr;
        timer = nullptr;
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
        if (lookup) {
            lookup->store(true);
            lookup.reset();
        }
        connecting = false;
    }
    ~Conn() { Release(); }
};

AsyncSockets::AsyncSockets(QObject* parent) : QObject(parent) {}

AsyncSockets::~AsyncSockets() {
    conns_.clear();
    lookups_.reset();
}

AsyncSockets::Conn* AsyncSockets::Find(int id) {
    auto it = conns_.find(id);
    return it == conns_.end() ? nullptr : it->second.get();
}

int AsyncSockets::ConnectFailed(int error) {
    const int id = nextId_++;
    conns_[id] = std::make_unique<Conn>();
    PostEvent(id, FD_CONNECT, error != 0 ? error : wsa::kConnAborted);
    return id;
}

namespace {

// Opens a non-blocking socket and starts connecting it. Returns the socket, or
// -1 with the WinSock code in `code`; `pending` is set while the connection is
// still being made.
int StartConnect(std::uint32_t addressNetOrder, std::uint16_t port, int& code, bool& pending) {
    code = 0;
    pending = false;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        code = WinSockCodeFromErrno(errno);
        return -1;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = addressNetOrder;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        if (errno != EINPROGRESS) {
            code = WinSockCodeFromErrno(errno);
            ::close(fd);
            return -1;
        }
        pending = true;
    }
    return fd;
}

// 0 when ready, else the WinSock code (kTimedOut when the time ran out).
int WaitFor(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    while (true) {
        const int rc = ::poll(&entry, 1, timeoutMs > 0 ? timeoutMs : -1);
        if (rc > 0) {
            return 0;
        }
        if (rc == 0) {
            return wsa::kTimedOut;
        }
        if (errno != EINTR) {
            return WinSockCodeFromErrno(errno);
        }
    }
}

}  // namespace

int AsyncSockets::Connect(std::uint32_t addressNetOrder, std::uint16_t port, int timeoutMs) {
    int code = 0;
    bool pending = false;
    const int fd = StartConnect(addressNetOrder, port, code, pending);
    if (fd < 0) {
        return ConnectFailed(code);
    }
    const int id = nextId_++;
    auto conn = std::make_unique<Conn>();
    StartTimer(id, *conn, timeoutMs);
    Arm(id, *conn, fd);
    conns_[id] = std::move(conn);
    return id;
}

int AsyncSockets::ConnectHost(const std::string& host, std::uint16_t port, int timeoutMs) {
    if (const auto dotted = DottedToAddress(host)) {
        return Connect(*dotted, port, timeoutMs);
    }
    if (host.empty()) {
        return ConnectFailed(wsa::kHostNotFound);
    }
    if (!lookups_) {
        lookups_ = std::make_unique<HostLookupQueue>();
    }
    const int id = nextId_++;
    auto conn = std::make_unique<Conn>();
    conn->connecting = true;
    StartTimer(id, *conn, timeoutMs);
    conn->lookup =
        lookups_->Start(host, [this, id, port](std::optional<std::uint32_t> address, int error) {
            OnLookedUp(id, port, address, error);
        });
    conns_[id] = std::move(conn);
    return id;
}

void AsyncSockets::OnLookedUp(int id, std::uint16_t port, std::optional<std::uint32_t> address,
                              int error) {
    Conn* conn = Find(id);
    if (conn == nullptr || !conn->connecting || conn->fd >= 0) {
        return;  // closed or timed out meanwhile
    }
    conn->lookup.reset();
    int code = error != 0 ? error : wsa::kHostNotFound;
    if (address) {
        bool pending = false;
        const int fd = StartConnect(*address, port, code, pending);
        if (fd >= 0) {
            Arm(id, *conn, fd);
            return;
        }
    }
    conn->Release();
    Deliver(id, FD_CONNECT, code);
}

void AsyncSockets::StartTimer(int id, Conn& conn, int timeoutMs) {
    if (timeoutMs <= 0) {
        return;
    }
    conn.timer = new QTimer(this);
    conn.timer->setSingleShot(true);
    connect(conn.timer, &QTimer::timeout, this, [this, id] { OnConnectTimeout(id); });
    conn.timer->start(timeoutMs);
}

void AsyncSockets::Arm(int id, Conn& conn, int fd) {
    conn.fd = fd;
    conn.connecting = true;
    conn.reader = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    conn.reader->setEnabled(false);
    connect(conn.reader, &QSocketNotifier::activated, this, [this, id] { OnReadable(id); });
    // Also an immediate connect (loopback) is reported through the writer, so
    // the owner always hears of the connection from the event loop, and no
    // read event can come before it.
    conn.writer = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    connect(conn.writer, &QSocketNotifier::activated, this, [this, id] { OnWritable(id); });
}

int AsyncSockets::ConnectBlocking(std::uint32_t addressNetOrder, std::uint16_t port, int timeoutMs,
                                  int* error) {
    int code = 0;
    bool pending = false;
    const int fd = StartConnect(addressNetOrder, port, code, pending);
    if (pending) {
        code = WaitFor(fd, POLLOUT, timeoutMs);
        if (code == 0) {
            int soError = 0;
            socklen_t length = sizeof soError;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length);
            code = WinSockCodeFromErrno(soError);
        }
        if (code != 0) {
            ::close(fd);
        }
    }
    if (error) {
        *error = code;
    }
    if (code != 0) {
        return -1;
    }
    const int id = nextId_++;
    auto conn = std::make_unique<Conn>();
    conn->fd = fd;
    conns_[id] = std::move(conn);
    return id;
}

bool AsyncSockets::Wait(int id, short events, int timeoutMs, int* error) {
    Conn* conn = Find(id);
    const int code = conn && conn->fd >= 0 ? WaitFor(conn->fd, events, timeoutMs) : wsa::kNotSocket;
    if (error) {
        *error = code;
    }
    return code == 0;
}

bool AsyncSockets::WaitReadable(int id, int timeoutMs, int* error) {
    return Wait(id, POLLIN, timeoutMs, error);
}

bool AsyncSockets::WaitWritable(int id, int timeoutMs, int* error) {
    return Wait(id, POLLOUT, timeoutMs, error);
}

long AsyncSockets::Send(int id, const char* data, std::size_t size, int* error) {
    Conn* conn = Find(id);
    int code = 0;
    long sent = -1;
    if (conn == nullptr || (conn->fd < 0 && !conn->connecting)) {
        code = wsa::kNotSocket;
    } else if (conn->connecting) {
        code = wsa::kNotConnected;  // also while its name is looked up
    } else if (size == 0) {
        sent = 0;
    } else {
        sent = ::send(conn->fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            code = WinSockCodeFromErrno(errno);
            if (code == wsa::kWouldBlock && conn->writer) {
                conn->writer->setEnabled(true);
            }
        }
    }
    if (error) {
        *error = code;
    }
    return sent;
}

long AsyncSockets::Recv(int id, char* buffer, std::size_t size, int* error) {
    Conn* conn = Find(id);
    int code = 0;
    long got = -1;
    if (conn == nullptr || (conn->fd < 0 && !conn->connecting)) {
        code = wsa::kNotSocket;
    } else if (conn->connecting) {
        code = wsa::kNotConnected;
    } else {
        if (conn->readLimit > 0 && size > conn->readLimit) {
            size = conn->readLimit;
        }
        got = ::recv(conn->fd, buffer, size, MSG_DONTWAIT);
        if (got < 0) {
            code = WinSockCodeFromErrno(errno);
        }
        // Reading re-arms the read event, as WinSock does: while bytes remain
        // (or the end is still to be reported) the owner hears again.
        if (conn->reader && !conn->closeDelivered) {
            conn->reader->setEnabled(true);
        }
    }
    if (error) {
        *error = code;
    }
    return got;
}

bool AsyncSockets::Close(int id, int* error) {
    auto it = conns_.find(id);
    int code = 0;
    if (it == conns_.end()) {
        code = wsa::kNotSocket;
    } else {
        Conn& conn = *it->second;
        if (conn.fd >= 0) {
            ::shutdown(conn.fd, SHUT_RDWR);
            linger lingerOption{1, 0};
            ::setsockopt(conn.fd, SOL_SOCKET, SO_LINGER, &lingerOption, sizeof lingerOption);
            const int fd = conn.fd;
            conn.fd = -1;
            if (::close(fd) != 0) {
                code = WinSockCodeFromErrno(errno);
            }
        }
        conns_.erase(it);
    }
    if (error) {
        *error = code;
    }
    return code == 0;
}

void AsyncSockets::PostEvent(int id, int event, int error) {
    QMetaObject::invokeMethod(
        this, [this, id, event, error] { Deliver(id, event, error); }, Qt::QueuedConnection);
}

std::string AsyncSockets::PeerAddress(int id) const {
    auto it = conns_.find(id);
    if (it == conns_.end() || it->second->fd < 0) {
        return {};
    }
    sockaddr_in addr{};
    socklen_t length = sizeof addr;
    if (::getpeername(it->second->fd, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        return {};
    }
    return AddressToDotted(addr.sin_addr.s_addr);
}

bool AsyncSockets::SetSendBufferSize(int id, int bytes) {
    Conn* conn = Find(id);
    return conn && conn->fd >= 0 &&
           ::setsockopt(conn->fd, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes) == 0;
}

void AsyncSockets::SetReadLimit(int id, std::size_t maxBytes) {
    if (Conn* conn = Find(id)) {
        conn->readLimit = maxBytes;
    }
}

void AsyncSockets::OnReadable(int id) {
    Conn* conn = Find(id);
    if (conn == nullptr || conn->fd < 0) {
        return;
    }
    conn->reader->setEnabled(false);
    char probe = 0;
    const long n = ::recv(conn->fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) {
        Deliver(id, FD_READ, 0);
        return;
    }
    const int code = n == 0 ? 0 : WinSockCodeFromErrno(errno);
    if (code == wsa::kWouldBlock || code == wsa::kInterrupted) {
        conn->reader->setEnabled(true);
        return;
    }
    conn->closeDelivered = true;
    Deliver(id, FD_CLOSE, code);
}

void AsyncSockets::OnWritable(int id) {
    Conn* conn = Find(id);
    if (conn == nullptr || conn->fd < 0) {
        return;
    }
    conn->writer->setEnabled(false);
    if (!conn->connecting) {
        Deliver(id, FD_WRITE, 0);
        return;
    }
    conn->connecting = false;
    if (conn->timer) {
        conn->timer->stop();
    }
    int soError = 0;
    socklen_t length = sizeof soError;
    if (::getsockopt(conn->fd, SOL_SOCKET, SO_ERROR, &soError, &length) != 0) {
        soError = errno;
    }
    if (soError != 0) {
        conn->Release();
        Deliver(id, FD_CONNECT, WinSockCodeFromErrno(soError));
        return;
    }
    conn->reader->setEnabled(true);
    Deliver(id, FD_CONNECT, 0);
    if (Find(id) != nullptr) {
        Deliver(id, FD_WRITE, 0);
    }
}

void AsyncSockets::OnConnectTimeout(int id) {
    Conn* conn = Find(id);
    if (conn == nullptr || !conn->connecting) {
        return;
    }
    conn->Release();
    Deliver(id, FD_CONNECT, wsa::kTimedOut);
}

void AsyncSockets::Deliver(int id, int event, int error) {
    if (!handler_ || Find(id) == nullptr) {
        return;
    }
    // Nothing thrown by an owner may unwind into the event loop.
    try {
        handler_(id, event, error);
    } catch (const std::exception& e) {
        qWarning("socket event %d of connection %d failed: %s", event, id, e.what());
    } catch (...) {
        qWarning("socket event %d of connection %d failed", event, id);
    }
}

}  // namespace pk
