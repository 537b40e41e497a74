#pragma once
// The master-server link: one TCP connection, driven by the lobby socket's events on the
// main thread.
//
// Phases: LobbyConnect -> the text line of the connect mode ("login", "new", "verify",
// "needpass") -> the server's one-word reply; "ok" starts the key exchange (core/zrconst.h)
// -> frames both ways, the first from the server being the welcome. Frames are scrambled as
// the game link's (net/zrscramble.h) with the lobby's own keys.
#include <cstdint>
#include <string>
#include <string_view>

#include "net/receivebuffer.h"
#include "net/zrscramble.h"

namespace pk {

class TZRSock;

// The connection's own state (what a connect and a disconnect reset).
struct TLobbyLinkState {
    int socket = -1;
    bool held = false;
    std::string heldBuffer;    // scrambled bytes queued while held
    ReceiveBuffer recvBuffer;  // received and not yet consumed
    std::string sendQueue;     // not yet taken by the socket
    TFrameReader frameReader;  // holds the length prefix gathered so far
    TScrambleKey sendKey;
    TScrambleKey recvKey;
    std::uint32_t exchangeValue = 0;  // the client's value of the key exchange
    std::string transcript;           // text lines and exchange bytes, both ways, in order
    bool busy = false;                // the receive loop runs
    std::uint8_t receivePhase = 0;    // 0 text lines, 1 key exchange (after "ok")
    bool framed = false;              // the key exchange is done: frames both ways
    // Bumped by every reset, so a receive loop can tell that its connection has gone, even
    // when a new one started meanwhile.
    std::uint32_t generation = 0;
};
extern TLobbyLinkState LobbyLink;

// The lobby socket (the lobby window's `bsock`); created on first use.
TZRSock& LobbySock();
// Binds the socket's five events to the handlers below.
void BindLobbySocket();

// Opens the connection in a mode: 0 login, 1 new account, 2 verify account, 3 forgotten
// password.
void LobbyConnect(std::uint8_t mode);
// Closes and clears; with retry, a login connection is tried again (up to LobbyMaxTries).
void LobbyDisconnect(bool retry);

// Frames, scrambles and queues one message. Dropped with a log line before the key exchange
// is done and when the body would not fit a frame.
void LobbySend(std::uint8_t code, std::string_view payload);
// Message 18: a command and its text for the server (chat lines, slash commands, "userdb").
void SendLobbyCommand(const std::string& name, const std::string& text);
// Text phase: keyword + " " + arguments + CR LF, unscrambled, into the transcript too.
void LobbySendLine(const std::string& keyword, const std::string& arguments);
void LobbySendRaw(const std::string& bytes);
void LobbyQueueData(const std::string& bytes);
void LobbyFlushQueue();
void LobbyHoldQueue();
void LobbyReleaseQueue();

// Bytes that arrived on the connection: appended to the receive buffer and, unless the loop
// already runs further up the stack, taken apart into text replies, the key exchange and
// frames until it needs more. `di` reads the socket into it.
void LobbyReceiveBytes(std::string_view bytes);

// A reply of the text phase: its first word lower-cased and the rest from its second word.
void LobbyTextReply(const std::string& word, const std::string& rest);

// Everything the lobby owns back to a client that has never connected: the connection
// dropped without any of the disconnect's effects, the lobby state and the model emptied.
void ResetLobby();

// The keep-alive of the lobby window's 100 ms timer: more than LobbyKeepAliveSeconds without
// a server ping (or since the connect) closes the link with retry. True when it did.
bool LobbyCheckKeepAlive();

// The socket's events: data available, ready to send, error, closed, connected.
namespace bsock {
void di();
void ao();
void ee(const std::string& message, int code);
void cd();
void bc();
}  // namespace bsock

}  // namespace pk
