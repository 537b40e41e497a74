#pragma once
// The program's TCP client socket component. Owners assign the event
// properties and drive connections by handle; every event arrives from the
// main thread's event loop, one at a time. One instance may hold several
// connections (the region pinger uses that); handles are never reused.
#include <functional>
#include <memory>
#include <string>

namespace pk {

class AsyncSockets;
class TZRSock;

using TDataAvailable = std::function<void(TZRSock* Sender, int Socket)>;
using TDataNeeded = std::function<void(TZRSock* Sender, int Socket)>;
using TSessionClosed = std::function<void(TZRSock* Sender, int Socket)>;
using TSessionAvailable = std::function<void(TZRSock* Sender, int Socket)>;
using TSessionConnected = std::function<void(TZRSock* Sender, int Socket)>;
using TErrorOccurred = std::function<void(TZRSock* Sender, int Socket, int Error,
                                          const std::string& FuncName, const std::string& Msg)>;

// Where the component turns to the user: the shell installs message boxes,
// tests install a recorder. The default writes to the error stream.
class TZRSockNotices {
public:
    virtual ~TZRSockNotices() = default;
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    // Called after the message of an error nobody handles.
    virtual void EndProgram() = 0;
};
TZRSockNotices& SocketNotices();
// nullptr restores the default. The caller keeps ownership.
void SetSocketNotices(TZRSockNotices* notices);

// Whether a code is one of the WinSock error codes (10004 ... 11004).
bool IsWinSockError(int code);
// The text shown beside a WinSock error code; "Not a WinSock error" for any other code.
std::string WinSockErrorText(int code);

class TZRSock {
public:
    TZRSock();
    ~TZRSock();
    TZRSock(const TZRSock&) = delete;
    TZRSock& operator=(const TZRSock&) = delete;

    int MaximumReceiveLength = 8192;  // kept for callers; a read takes at most 4096 bytes
    std::string IPAddr;               // dotted address or host name
    std::string Port;                 // TCP service name or decimal port
    // Seconds a connect may take before it fails with 10060, and in blocking
    // mode the limit of every blocking call; 0 or less: no limit.
    int Timeout = 30;

    TDataAvailable OnDataAvailable;
    TDataNeeded OnDataNeeded;
    TSessionClosed OnSessionClosed;
    TSessionAvailable OnSessionAvailable;
    TSessionConnected OnSessionConnected;
    TErrorOccurred OnErrorOccurred;

    // true: events from the event loop. false: Connect, sendstring and
    // getstring block (up to Timeout) and no events are raised; a call that
    // runs out of time is reported as ("Timer", 10060).
    bool GetNonBlocking() const { return nonBlocking_; }
    void SetNonBlocking(bool value) { nonBlocking_ = value; }

    // Starts a connection to IPAddr:Port and returns at once: a host name is
    // looked up off the main thread. `socket` receives the new handle; the
    // outcome arrives as OnSessionConnected or OnErrorOccurred ("FD_CONNECT"),
    // also when the host does not resolve. With no port or no address a
    // message box says so and `socket` is left alone.
    void Connect(int& socket);
    // Bytes accepted; 0 when the socket would block (OnDataNeeded follows);
    // the text's full length after any other error, which is reported, so
    // that the caller drops the text.
    int sendstring(int socket, const std::string& text);
    // One read of at most 4096 bytes; empty when the peer closed or on error.
    void getstring(int socket, std::string& text);
    // Resets the connection at once; its pending events are dropped.
    void Disconnect(int socket);
    std::string PeerAddress(int socket) const;
    // Makes the owner run its close path from the event loop.
    void PostClose(int socket);

    int LastSocket() const { return lastSocket_; }
    // The layer below, for tests that need to shape the connection.
    AsyncSockets& Sockets() { return *sockets_; }

private:
    void OnSocketEvent(int socket, int event, int error);
    void ReportSocketError(int socket, const std::string& funcName, int error);
    int TimeoutMs() const { return Timeout > 0 ? Timeout * 1000 : 0; }
    void BlockingCallTimedOut();

    std::unique_ptr<AsyncSockets> sockets_;
    bool nonBlocking_ = true;
    int lastSocket_ = -1;
};

}  // namespace pk
