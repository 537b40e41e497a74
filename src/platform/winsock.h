#pragma once
// Asynchronous IPv4 TCP client sockets with the event semantics the socket
// component was designed around: one event at a time per connection, delivered
// from the Qt event loop, with WinSock-style error codes.
//
// What owners rely on:
// - a read event means at least one byte (or the end) is waiting; it fires
//   again after a Recv while bytes remain, and every received byte is offered
//   before the close event;
// - a would-block send reports kWouldBlock and is followed by a write event
//   once the socket takes data again;
// - connection ids are never reused, so a late event can never reach the
//   connection that replaced a closed one; events of closed ids are dropped;
// - a connect that cannot even start (unknown host, immediate failure) still
//   ends in a connect event carrying the error, and a connect that hangs ends
//   after its time-out with kTimedOut;
// - a host name is looked up off the main thread (hostlookup.h): starting a
//   connection never waits for a resolver.
#include <QObject>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QSocketNotifier;
class QTimer;

namespace pk {

class HostLookupQueue;

// WinSock error codes used by name in the code above this layer.
namespace wsa {
constexpr int kInterrupted = 10004;
constexpr int kBadFile = 10009;
constexpr int kInvalid = 10022;
constexpr int kWouldBlock = 10035;
constexpr int kNotSocket = 10038;
constexpr int kConnAborted = 10053;
constexpr int kConnReset = 10054;
constexpr int kNoBufs = 10055;
constexpr int kNotConnected = 10057;
constexpr int kTimedOut = 10060;
constexpr int kConnRefused = 10061;
constexpr int kHostNotFound = 11001;
constexpr int kTryAgain = 11002;
constexpr int kNoRecovery = 11003;
constexpr int kNoData = 11004;
}  // namespace wsa

// Event bits, numbered as the socket component's owners know them.
enum SocketEvent : int {
    FD_READ = 0x01,
    FD_WRITE = 0x02,
    FD_OOB = 0x04,
    FD_ACCEPT = 0x08,
    FD_CONNECT = 0x10,
    FD_CLOSE = 0x20,
};

// Maps a POSIX errno to its WinSock code. Errors with no WinSock counterpart
// become kConnAborted: owners treat any real code as the end of the link,
// which is the safe reading of an error nobody expected.
int WinSockCodeFromErrno(int err);

// Maps a getaddrinfo() result code to its WinSock code (0 stays 0).
int WinSockCodeFromResolver(int gaiError);

// Host and service lookups, blocking like the originals they stand in for (a
// connection looks names up through hostlookup.h instead, off the main thread).
// ResolveIPv4 returns the address in network byte order, or the WinSock code
// of the failure in `error`.
std::optional<std::uint32_t> ResolveIPv4(const std::string& host, int* error);
// A service name looked up as "tcp", else a decimal port 1..65535.
std::optional<std::uint16_t> ResolveTcpPort(const std::string& port);
// The value inet_addr gives for a dotted text (network byte order), if any.
std::optional<std::uint32_t> DottedToAddress(const std::string& text);
std::string AddressToDotted(std::uint32_t addressNetOrder);

class AsyncSockets : public QObject {
    Q_OBJECT
public:
    // Called with (connection id, one SocketEvent, WinSock error or 0).
    using EventHandler = std::function<void(int, int, int)>;

    explicit AsyncSockets(QObject* parent = nullptr);
    ~AsyncSockets() override;
    AsyncSockets(const AsyncSockets&) = delete;
    AsyncSockets& operator=(const AsyncSockets&) = delete;

    void SetEventHandler(EventHandler handler) { handler_ = std::move(handler); }

    // Starts a connection and returns its id (> 0). The outcome arrives as
    // FD_CONNECT: error 0 when established (followed by FD_WRITE), otherwise
    // the WinSock code. timeoutMs <= 0 disables the time-out.
    int Connect(std::uint32_t addressNetOrder, std::uint16_t port, int timeoutMs);
    // The same for a dotted address or a host name. A name is looked up on a worker thread and
    // this returns at once; a name that does not resolve ends in FD_CONNECT with its WinSock
    // code (11001 ...). The time-out counts from this call, the lookup included.
    int ConnectHost(const std::string& host, std::uint16_t port, int timeoutMs);
    // A connection that failed before it started: its id exists so that the
    // owner can close it, and FD_CONNECT with `error` is posted.
    int ConnectFailed(int error);

    // A connection for an owner that blocks instead of waiting for events:
    // it has no events at all. Waits at most timeoutMs (<= 0: no limit); on
    // failure returns -1 with the code (kTimedOut when the wait ran out).
    int ConnectBlocking(std::uint32_t addressNetOrder, std::uint16_t port, int timeoutMs,
                        int* error);
    // Waits at most timeoutMs until the connection can be read (or written),
    // false with kTimedOut when it could not.
    bool WaitReadable(int id, int timeoutMs, int* error);
    bool WaitWritable(int id, int timeoutMs, int* error);

    // Bytes accepted (may be fewer than size), or -1 with the WinSock code in
    // `error` (kWouldBlock when the buffer is full; a write event follows).
    long Send(int id, const char* data, std::size_t size, int* error);
    // Bytes read (0 = the peer closed), or -1 with the WinSock code.
    long Recv(int id, char* buffer, std::size_t size, int* error);
    // Drops the connection at once (reset, unsent data discarded) and every
    // event still pending for it. Returns false with the code when the close
    // itself failed; the id is gone either way.
    bool Close(int id, int* error);
    // Posts `event` for `id` through the event loop; dropped if the id closes first.
    void PostEvent(int id, int event, int error);

    bool IsOpen(int id) const { return conns_.count(id) != 0; }
    std::size_t OpenCount() const { return conns_.size(); }
    std::string PeerAddress(int id) const;
    // Shrinks the kernel send buffer (tests use it to force partial sends).
    bool SetSendBufferSize(int id, int bytes);
    // Caps every read of this connection (tests use 1 to see each byte in a
    // read of its own); 0 lifts the cap.
    void SetReadLimit(int id, std::size_t maxBytes);

private:
    struct Conn;
    void OnReadable(int id);
    void OnWritable(int id);
    void OnConnectTimeout(int id);
    void OnLookedUp(int id, std::uint16_t port, std::optional<std::uint32_t> address, int error);
    // Watches a socket whose connect has started.
    void Arm(int id, Conn& conn, int fd);
    void StartTimer(int id, Conn& conn, int timeoutMs);
    void Deliver(int id, int event, int error);
    Conn* Find(int id);
    bool Wait(int id, short events, int timeoutMs, int* error);

    EventHandler handler_;
    std::map<int, std::unique_ptr<Conn>> conns_;
    std::unique_ptr<HostLookupQueue> lookups_;
    int nextId_ = 1;
};

}  // namespace pk
