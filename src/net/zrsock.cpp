#include "net/zrsock.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

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

std::string WinSockErrorText(int code) {
    switch (code) {
        case 10004:
            return "Interrupted system call";
        case 10009:
            return "Bad file number";
        case 10013:
            return "Permission denied";
        case 10014:
            return "Bad address";
        case 10022:
            return "Invalid argument";
        case 10024:
            return "Too many open files";
        case 10035:
            return "Operation would block";
        case 10036:
            return "Operation now in progress";
        case 10037:
            return "Operation already in progress";
        case 10038:
            return "Socket operation on non-socket";
        case 10039:
            return "Destination address required";
        case 10040:
            return "Message too long";
        case 10041:
            return "Protocol wrong type for socket";
        case 10042:
            return "Protocol not available";
        case 10043:
            return "Protocol not supported";
        case 10044:
            return "Socket type not supported";
        case 10045:
            return "Operation not supported on socket";
        case 10046:
            return "Protocol family not supported";
        case 10047:
            return "Address family not supported by protocol family";
        case 10048:
            return "Address already in use";
        case 10049:
            return "Can't assign requested address";
        case 10050:
            return "Network is down";
        case 10051:
            return "Network is unreachable";
        case 10052:
            return "Network dropped connection on reset";
        case 10053:
            return "Software caused connection abort";
        case 10054:
            return "Connection reset by peer";
        case 10055:
            return "No buffer space available";
        case 10056:
            return "Socket is already connected";
        case 10057:
            return "Socket is not connected";
        case 10058:
            return "Can't send after socket shutdown";
        case 10059:
            return "Too many references: can't splice";
        case 10060:
            return "Connection timed out";
        case 10061:
            return "Connection refused";
        case 10062:
            return "Too many levels of symbolic links";
        case 10063:
            return "File name too long";
        case 10064:
            return "Host is down";
        case 10065:
            return "No route to host";
        case 10066:
            return "Directory not empty";
        case 10067:
            return "Too many processes";
        case 10068:
            return "Too many users";
        case 10069:
            return "Disc quota exceeded";
        case 10070:
            return "Stale NFS file handle";
        case 10071:
            return "Too many levels of remote in path";
        case 10091:
            return "Network sub-system is unusable";
        case 10092:
            return "WinSock DLL cannot support this application";
        case 10093:
            return "WinSock not initialized";
        case 11001:
            return "Host not found";
        case 11002:
            return "Non-authoritative host not found";
        case 11003:
            return "Non-recoverable error";
        case 11004:
            return "No Data";
        default:
            return "Not a WinSock error";
    }
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
    int resolveError = 0;
    const auto address = ResolveIPv4(IPAddr, &resolveError);
    if (!nonBlocking_) {
        // The caller sees the outcome at once: a handle, or -1.
        socket = -1;
        lastSocket_ = -1;
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
    if (!address) {
        socket = sockets_->ConnectFailed(resolveError);
        lastSocket_ = -1;
        return;
    }
    socket = sockets_->Connect(*address, *port, TimeoutMs());
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
