#include "net/zrsock.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "platform/hostlookup.h"
#include "platform/winsock.h"

namespace pk {

namespace {

class StderrNotices final : public TZRSockNotices {
public:
    void ShowMessage(const std::string& text, const std::string& caption) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    void EndProgram() override {
        if (QCoreApplication::instance()) {
            QCoreApplication::exit(1);
        } else {
            std::exit(1);
        }
    }
};

StderrNotices defaultNotices;
TZRSockNotices* currentNotices = &defaultNotices;

const char* EventName(int event) {
    switch (event) {
        case FD_READ:
            return "FD_READ";
        case FD_WRITE:
            return "FD_WRITE";
        case FD_ACCEPT:
            return "FD_ACCEPT";
        case FD_CONNECT:
            return "FD_CONNECT";
        case FD_CLOSE:
            return "FD_CLOSE";
        default:
            return "FD_UNKNOWN";
    }
}

constexpr std::size_t kReadChunk = 4096;

}  // namespace

TZRSockNotices& SocketNotices() {
    return *currentNotices;
}

void SetSocketNotices(TZRSockNotices* notices) {
    currentNotices = notices ? notices : &defaultNotices;
}

namespace {

// The texts of the WinSock error codes, in code order.
struct WinSockErrorName {
    int code;
    const char* text;
};
constexpr WinSockErrorName kWinSockErrors[] = {
    {10004, "Interrupted system call"},
    {10009, "Bad file number"},
    {10013, "Permission denied"},
    {10014, "Bad address"},
    {10022, "Invalid argument"},
    {10024, "Too many open files"},
    {10035, "Operation would block"},
    {10036, "Operation now in progress"},
    {10037, "Operation already in progress"},
    {10038, "Socket operation on non-socket"},
    {10039, "Destination address required"},
    {10040, "Message too long"},
    {10041, "Protocol wrong type for socket"},
    {10042, "Protocol not available"},
    {10043, "Protocol not supported"},
    {10044, "Socket type not supported"},
    {10045, "Operation not supported on socket"},
    {10046, "Protocol family not supported"},
    {10047, "Address family not supported by protocol family"},
    {10048, "Address already in use"},
    {10049, "Can't assign requested address"},
    {10050, "Network is down"},
    {10051, "Network is unreachable"},
    {10052, "Network dropped connection on reset"},
    {10053, "Software caused connection abort"},
    {10054, "Connection reset by peer"},
    {10055, "No buffer space available"},
    {10056, "Socket is already connected"},
    {10057, "Socket is not connected"},
    {10058, "Can't send after socket shutdown"},
    {10059, "Too many references: can't splice"},
    {10060, "Connection timed out"},
    {10061, "Connection refused"},
    {10062, "Too many levels of symbolic links"},
    {10063, "File name too long"},
    {10064, "Host is down"},
    {10065, "No route to host"},
    {10066, "Directory not empty"},
    {10067, "Too many processes"},
    {10068, "Too many users"},
    {10069, "Disc quota exceeded"},
    {10070, "Stale NFS file handle"},
    {10071, "Too many levels of remote in path"},
    {10091, "Network sub-system is unusable"},
    {10092, "WinSock DLL cannot support this application"},
    {10093, "WinSock not initialized"},
    {11001, "Host not found"},
    {11002, "Non-authoritative host not found"},
    {11003, "Non-recoverable error"},
    {11004, "No Data"},
};

const WinSockErrorName* FindWinSockError(int code) {
    const auto end = std::end(kWinSockErrors);
    const auto it = std::lower_bound(std::begin(kWinSockErrors), end, code,
                                     [](const WinSockErrorName& e, int c) { return e.code < c; });
    return it != end && it->code == code ? it : nullptr;
}

}  // namespace

bool IsWinSockError(int code) {
    return FindWinSockError(code) != nullptr;
}

std::string WinSockErrorText(int code) {
    const WinSockErrorName* known = FindWinSockError(code);
    return known ? known->text : "Not a WinSock error";
}

TZRSock::TZRSock() : sockets_(std::make_unique<AsyncSockets>()) {
    sockets_->SetEventHandler(
        [this](int socket, int event, int error) { OnSocketEvent(socket, event, error); });
}

TZRSock::~TZRSock() {
    // No event may reach a half-destroyed owner.
    sockets_->SetEventHandler({});
}

void TZRSock::Connect(int& socket) {
    if (Port.empty()) {
        SocketNotices().ShowMessage("No Port Specified", "WINSOCK ERROR");
        return;
    }
    if (IPAddr.empty()) {
        SocketNotices().ShowMessage("No IP Address Specified", "WINSOCK ERROR");
        return;
    }
    const auto port = ResolveTcpPort(Port);
    if (!nonBlocking_) {
        // The caller sees the outcome at once: a handle, or -1.
        socket = -1;
        lastSocket_ = -1;
        int resolveError = 0;
        const auto address = port ? ResolveHost(IPAddr, &resolveError) : std::nullopt;
        if (!port || !address) {
            return;
        }
        int error = 0;
        const int id = sockets_->ConnectBlocking(*address, *port, TimeoutMs(), &error);
        if (id < 0 && error == wsa::kTimedOut) {
            BlockingCallTimedOut();
        }
        socket = id;
        lastSocket_ = id;
        return;
    }
    // A link must never wait for ever in "connecting": a connection that
    // cannot start still gets a handle and ends in an error event.
    if (!port) {
        socket = sockets_->ConnectFailed(wsa::kInvalid);
        lastSocket_ = -1;
        return;
    }
    // The host name is looked up off the main thread and Connect returns before its outcome:
    // a resolver can take its whole time-out per name, and the window must keep answering
    // meanwhile. A name that does not resolve ends in the same error event ("FD_CONNECT",
    // 11001 ...) as any connection that fails, and the last socket is -1 from then on.
    socket = sockets_->ConnectHost(IPAddr, *port, TimeoutMs());
    lastSocket_ = socket;
}

int TZRSock::sendstring(int socket, const std::string& text) {
    if (socket <= 0) {
        return 0;
    }
    int error = 0;
    lastSocket_ = socket;
    if (!nonBlocking_) {
        std::size_t done = 0;
        while (done < text.size()) {
            if (!sockets_->WaitWritable(socket, TimeoutMs(), &error)) {
                break;
            }
            const long n = sockets_->Send(socket, text.data() + done, text.size() - done, &error);
            if (n < 0 && error != wsa::kWouldBlock) {
                break;
            }
            done += n > 0 ? static_cast<std::size_t>(n) : 0u;
            error = 0;
        }
        if (done == text.size()) {
            return static_cast<int>(done);
        }
        if (error == wsa::kTimedOut) {
            BlockingCallTimedOut();
        } else {
            ReportSocketError(socket, "sendstring", error);
        }
        return static_cast<int>(text.size());
    }
    const long sent = sockets_->Send(socket, text.data(), text.size(), &error);
    if (sent >= 0) {
        return static_cast<int>(sent);
    }
    if (error == wsa::kWouldBlock) {
        return 0;
    }
    ReportSocketError(socket, "sendstring", error);
    return static_cast<int>(text.size());
}

void TZRSock::getstring(int socket, std::string& text) {
    text.clear();
    if (socket <= 0) {
        return;
    }
    char buffer[kReadChunk];
    int error = 0;
    if (!nonBlocking_ && !sockets_->WaitReadable(socket, TimeoutMs(), &error)) {
        lastSocket_ = socket;
        if (error == wsa::kTimedOut) {
            BlockingCallTimedOut();
        } else {
            ReportSocketError(socket, "getstring", error);
        }
        return;
    }
    const long got = sockets_->Recv(socket, buffer, sizeof buffer, &error);
    lastSocket_ = socket;
    if (got < 0) {
        ReportSocketError(socket, "getstring", error);
        return;
    }
    text.assign(buffer, static_cast<std::size_t>(got));
}

void TZRSock::Disconnect(int socket) {
    if (sockets_->IsOpen(socket)) {
        int error = 0;
        if (!sockets_->Close(socket, &error)) {
            ReportSocketError(socket, "Disconnect (closesocket)", error);
        }
    }
    lastSocket_ = -1;
}

std::string TZRSock::PeerAddress(int socket) const {
    return sockets_->PeerAddress(socket);
}

void TZRSock::PostClose(int socket) {
    sockets_->PostEvent(socket, FD_CLOSE, 0);
}

void TZRSock::OnSocketEvent(int socket, int event, int error) {
    if (error != 0 && event == FD_CONNECT && socket == lastSocket_) {
        lastSocket_ = -1;
    }
    if (error != 0) {
        ReportSocketError(socket, EventName(event), error);
        return;
    }
    const auto call = [this, socket](const std::function<void(TZRSock*, int)>& handler) {
        if (handler) {
            handler(this, socket);
        }
    };
    switch (event) {
        case FD_READ:
            call(OnDataAvailable);
            break;
        case FD_WRITE:
            call(OnDataNeeded);
            break;
        case FD_CLOSE:
            call(OnSessionClosed);
            break;
        case FD_ACCEPT:
            call(OnSessionAvailable);
            break;
        case FD_CONNECT:
            call(OnSessionConnected);
            break;
        default:
            break;
    }
}

void TZRSock::BlockingCallTimedOut() {
    const std::string msg = "Blocking call timed out";
    if (OnErrorOccurred) {
        OnErrorOccurred(this, lastSocket_, wsa::kTimedOut, "Timer", msg);
        return;
    }
    SocketNotices().ShowMessage("Error " + std::to_string(wsa::kTimedOut) + "\r\n" + msg,
                                "WINSOCK CALL CANCELED");
}

void TZRSock::ReportSocketError(int socket, const std::string& funcName, int error) {
    const std::string msg = WinSockErrorText(error);
    if (OnErrorOccurred) {
        OnErrorOccurred(this, socket, error, funcName, msg);
        return;
    }
    SocketNotices().ShowMessage(
        "Error " + std::to_string(error) + " in function " + funcName + "\r\n" + msg,
        "WINSOCK ERROR");
    SocketNotices().EndProgram();
}

}  // namespace pk
