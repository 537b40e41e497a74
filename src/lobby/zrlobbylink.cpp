#include "lobby/zrlobbylink.h"

#include <exception>
#include <memory>
#include <random>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "core/zrversion.h"
#include "game/zrgame.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyhost.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrlobbymodel.h"
#include "net/zrlobbykeys.h"
#include "net/zrsock.h"
#include "platform/winsock.h"
#include "room/zrroomhost.h"

namespace pk {

TLobbyLinkState LobbyLink;

namespace {

std::unique_ptr<TZRSock> lobbySock;

tmesb& Sb() {
    return ClientState.lobby;
}

std::uint32_t RandomExchangeValue() {
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::uint32_t> pick(1u, LobbyExchangeValueMax);
    return pick(generator);
}

// What a connect and a disconnect both reset.
void ResetLinkFields() {
    LobbyLink.socket = -1;
    LobbyLink.recvBuffer.clear();
    LobbyLink.sendQueue.clear();
    LobbyLink.frameReader.Reset();
    LobbyLink.held = false;
    LobbyLink.heldBuffer.clear();
    LobbyLink.sendKey.Reset();
    LobbyLink.recvKey.Reset();
    LobbyLink.transcript.clear();
    LobbyLink.busy = false;
    LobbyLink.receivePhase = 0;
    LobbyLink.framed = false;
    LobbyLink.exchangeValue = RandomExchangeValue();
    ++LobbyLink.generation;
}

// "year-month-day" with the year padded to 4 and the others to 2; longer texts stay whole.
std::string BirthDateText(const std::string& year, const std::string& month,
                          const std::string& day) {
    const auto pad = [](const std::string& text, std::size_t width) {
        return text.size() >= width ? text : std::string(width - text.size(), '0') + text;
    };
    return pad(year, 4) + "-" + pad(month, 2) + "-" + pad(day, 2);
}

// The built-in update server unless the reply names a host and a port. Both words go to the
// update client as they stand: the port may be a service name, which the socket looks up.
void StartUpdateFromReply(const std::string& rest) {
    const std::string host = WordAt(1, rest);
    const std::string port = WordAt(2, rest);
    if (!host.empty() && !port.empty()) {
        LobbyShell().UpdateStart(host, port);
    } else {
        LobbyShell().UpdateStart(UpdateServerHost, std::to_string(UpdateServerPort));
    }
}

}  // namespace

TZRSock& LobbySock() {
    if (!lobbySock) {
        lobbySock = std::make_unique<TZRSock>();
        lobbySock->Timeout = ConnectTimeoutSeconds;
        lobbySock->MaximumReceiveLength = 8192;
    }
    return *lobbySock;
}

void LobbyConnect(std::uint8_t mode) {
    tmesb& sb = Sb();
    if (sb.LobbyLinkState != sbDown) {
        LobbyDisconnect(false);
    }
    FreeRoomList();
    LobbyModel.roomListMade = true;
    ClientState.account.WelcomeNumber = 0;
    ResetLinkFields();
    sb.LastServerPing = LobbyShell().Seconds();
    sb.InviteRoomId = 0;
    sb.InviteGameId = 0;
    sb.Inviter.clear();
    sb.DetailsRoomId = 0;
    sb.ShownGameId = 0;
    sb.DetailsPlayer.clear();
    sb.LobbyConnectMode = mode;
    LobbyModel.chatHistory.clear();
    ++sb.TryCounter;
    NoteActivity();
    RebuildUserList();
    sb.LobbyLinkState = sbConnecting;
    LobbyShell().SetUIState(uiLobbyLink, true);

    TZRSock& sock = LobbySock();
    if (sb.server.host.empty()) {
        // Like a host that does not resolve: the attempt ends in an error event and counts.
        LobbyLink.socket = sock.Sockets().ConnectFailed(wsa::kHostNotFound);
        return;
    }
    sock.IPAddr = sb.server.host;
    sock.Port = std::to_string(sb.server.port);
    sock.Connect(LobbyLink.socket);
}

void LobbyDisconnect(bool retry) {
    tmesb& sb = Sb();
    LobbyHost& host = LobbyShell();
    if (sb.LobbyLinkState != sbDown) {
        LobbySock().Disconnect(LobbyLink.socket);
        if (ClientState.game.GameLinkState != LinkDown) {
            host.GameDisconnect();
        }
        sb.LastServerPing = 0;
        ResetLinkFields();
        sb.LobbyLinkState = sbDown;
        ClearCurrentRoom();
        LobbyView().SetRoomNameLabel("");
        FreeRoomList();
        LobbyModel.chatHistory.clear();
        for (const auto& user : LobbyModel.friends.Items()) {
            user->present = 0;
            user->status = stActive;
        }
        RebuildUserList();
        host.SetMainCaption(std::string(ProgramCaption));
        RefreshOwnStatusButtons();
        if (!host.ClosingDown()) {
            host.SetUIState(uiLobbyLink, true);
        }
    }
    if (host.CloseAfterError() && ClientState.game.GameLinkState == LinkDown) {
        host.CloseMainWindow();
        return;
    }
    if (retry && sb.LobbyConnectMode == 0) {
        if (sb.TryCounter >= LobbyMaxTries) {
            host.ShowMessage("Unable to connect with the master server after " +
                             std::to_string(LobbyMaxTries) + " tries.");
            sb.TryCounter = 0;
        } else {
            LobbyConnect(0);
        }
        return;
    }
    sb.TryCounter = 0;
}

void LobbySend(std::uint8_t code, std::string_view payload) {
    if (!LobbyLink.framed) {
        AddLogLine("Lobby message " + std::to_string(code) +
                   " dropped: the key exchange is not done");
        return;
    }
    auto frame = BuildGameFrame(code, payload);
    if (!frame) {
        AddLogLine("Lobby message " + std::to_string(code) + " of " +
                   std::to_string(payload.size() + 1) + " bytes is too long to send");
        return;
    }
    LobbyLink.sendKey.Scramble(*frame);
    LobbyQueueData(*frame);
}

void SendLobbyCommand(const std::string& name, const std::string& text) {
    LobbySend(LobbyMsgCommand, name + '\x02' + text);
}

void LobbySendLine(const std::string& keyword, const std::string& arguments) {
    LobbySendRaw(keyword + " " + arguments + "\r\n");
}

void LobbySendRaw(const std::string& bytes) {
    LobbyLink.transcript += bytes;
    LobbyQueueData(bytes);
}

void LobbyQueueData(const std::string& bytes) {
    if (Sb().LobbyLinkState == sbDown) {
        return;  // no connection to carry it; the next connect starts empty anyway
    }
    if (LobbyLink.held) {
        LobbyLink.heldBuffer += bytes;
        return;
    }
    const bool idle = LobbyLink.sendQueue.empty();
    LobbyLink.sendQueue += bytes;
    if (idle) {
        LobbyFlushQueue();
    }
}

void LobbyFlushQueue() {
    // A partial send leaves room for more at once; only a would-block (0) waits for the
    // socket's ready-to-send event.
    while (!LobbyLink.sendQueue.empty()) {
        const int socket = LobbyLink.socket;
        const std::uint32_t generation = LobbyLink.generation;
        const int taken = LobbySock().sendstring(socket, LobbyLink.sendQueue);
        if (generation != LobbyLink.generation || taken <= 0) {
            return;  // would block, or the error handler ended the connection
        }
        LobbyLink.sendQueue.erase(0, static_cast<std::size_t>(taken));
    }
}

void LobbyHoldQueue() {
    if (!LobbyLink.held) {
        LobbyLink.held = true;
        LobbyLink.heldBuffer.clear();
    }
}

void LobbyReleaseQueue() {
    if (!LobbyLink.held) {
        return;
    }
    LobbyLink.held = false;
    std::string held;
    held.swap(LobbyLink.heldBuffer);
    if (!held.empty()) {
        LobbyQueueData(held);
    }
}

void LobbyTextReply(const std::string& word, const std::string& rest) {
    LobbyHost& host = LobbyShell();
    if (word == "ok") {
        LobbyLink.receivePhase = 1;
        LobbySendRaw(ExchangeValueBytes(LobbyLink.exchangeValue));
        return;
    }
    LobbyDisconnect(false);
    if (word == "update") {
        host.ShowMessage(
            "You have an old version of Pelkorin.  Press OK to check online for an upgrade!");
        StartUpdateFromReply(rest);
    } else if (word == "newok") {
        host.ClearSignUpForm();
        host.ShowMessage(rest);
    } else if (word == "needverify") {
        std::string code;
        if (host.QueryVerifyCode(code)) {
            ClientState.account.VerifyCode = code;
            LobbyConnect(2);
        }
    } else if (word == "verifyok") {
        host.ShowMessage(rest);
        LobbyConnect(0);
    } else if (word == "error") {
        host.ShowMessage(rest);
    } else if (word == "aerror") {
        if (!host.Confirm("Account does not exist or you have entered the wrong password.  If you "
                          "have forgotten your password, would you like it to be emailed to "
                          "you?")) {
            return;
        }
        std::string year;
        std::string month;
        std::string day;
        if (host.QueryBirthDate(year, month, day)) {
            ClientState.account.BirthDate = BirthDateText(year, month, day);
            LobbyConnect(3);
        }
    }
}

void ResetLobby() {
    if (lobbySock && LobbyLink.socket > 0) {
        lobbySock->Disconnect(LobbyLink.socket);
    }
    ResetLinkFields();
    ClientState.lobby = tmesb{};
    ResetLobbyModel();
}

bool LobbyCheckKeepAlive() {
    const tmesb& sb = Sb();
    if (sb.LobbyLinkState == sbDown) {
        return false;
    }
    if (LobbyShell().Seconds() - sb.LastServerPing <= LobbyKeepAliveSeconds) {
        return false;
    }
    AddLogLine("No ping from the master server for " + std::to_string(LobbyKeepAliveSeconds) +
               " seconds");
    LobbyDisconnect(true);
    return true;
}

namespace {

bool Gone(std::uint32_t generation) {
    return LobbyLink.generation != generation || Sb().LobbyLinkState == sbDown;
}

// One framed message: before the welcome to the welcome handler, then to the dispatcher. A
// failing handler costs only its own message.
void DispatchFrame(const std::string& body) {
    const auto code = static_cast<std::uint8_t>(body[0]);
    const std::string payload = body.substr(1);
    const bool connected = Sb().LobbyLinkState == sbConnected;
    LogAndGoOnWith(
        [&] {
            return FailureText(std::string(connected ? "LobbyDispatch " : "LobbyWelcome ") +
                                   std::to_string(code) + " " + std::to_string(body.size()),
                               std::current_exception());
        },
        [&] {
            if (connected) {
                LobbyDispatch(code, payload);
            } else {
                LobbyWelcome(code, payload);
            }
        });
}

// A text reply line; false when the loop must wait for more bytes.
bool TakeTextLine() {
    ReceiveBuffer& buffer = LobbyLink.recvBuffer;
    const std::size_t end = buffer.View().find("\r\n");
    if (end == std::string::npos) {
        if (buffer.size() > MaxLobbyTextLine) {
            AddLogLine("Master server line too long");
            LobbyDisconnect(false);
        }
        return false;
    }
    const std::string line(buffer.View().substr(0, end + 2));
    buffer.Consume(end + 2);
    LobbyLink.transcript += line;
    const std::string text = line.substr(0, end);
    try {
        LobbyTextReply(LowerCase(WordAt(1, text)), RestFromWord(2, text));
    } catch (const std::exception& e) {
        AddLogLine(std::string("Error in LobbyTextReply: ") + e.what());
    }
    return true;
}

// The server's exchange value; false while it has not all arrived.
bool TakeExchangeValue() {
    ReceiveBuffer& buffer = LobbyLink.recvBuffer;
    if (buffer.size() < 4) {
        return false;
    }
    const std::string value(buffer.View().substr(0, 4));
    buffer.Consume(4);
    LobbyLink.transcript += value;
    const TLobbyKeys keys = DeriveLobbyKeys(LobbyLink.transcript, LobbyLink.exchangeValue,
                                            ExchangeValueFromBytes(value));
    LobbyLink.sendKey = keys.clientToServer;
    LobbyLink.recvKey = keys.serverToClient;
    LobbyLink.framed = true;
    return true;
}

void ParseReceived(std::uint32_t generation) {
    while (!LobbyLink.recvBuffer.empty() && !Gone(generation)) {
        if (!LobbyLink.framed) {
            const bool more = LobbyLink.receivePhase == 0 ? TakeTextLine() : TakeExchangeValue();
            if (!more) {
                return;
            }
            continue;
        }
        std::string body;
        switch (LobbyLink.frameReader.Next(LobbyLink.recvBuffer, LobbyLink.recvKey, body)) {
            case TFrameReader::Result::NeedMore:
                return;
            case TFrameReader::Result::EmptyFrame:
                AddLogLine("Empty message from the master server");
                LobbyDisconnect(false);
                return;
            case TFrameReader::Result::Frame:
                DispatchFrame(body);
                break;
        }
    }
}

}  // namespace

void LobbyReceiveBytes(std::string_view bytes) {
    LobbyLink.recvBuffer += bytes;
    if (LobbyLink.busy) {
        return;  // the running loop takes these bytes too
    }
    LobbyLink.busy = true;
    const std::uint32_t generation = LobbyLink.generation;
    LogAndGoOn("LobbyReceive", [&] { ParseReceived(generation); });
    if (LobbyLink.generation == generation) {
        LobbyLink.busy = false;
    }
}

namespace bsock {

void di() {
    std::string chunk;
    LobbySock().getstring(LobbyLink.socket, chunk);
    LobbyReceiveBytes(chunk);
}

void ao() {
    if (!LobbyLink.sendQueue.empty()) {
        LobbyFlushQueue();
    }
}

void ee(const std::string& message, int code) {
    if (message == "Not a WinSock error" || code == wsa::kNotConnected || code == wsa::kNotSocket ||
        code == wsa::kWouldBlock) {
        return;
    }
    switch (Sb().LobbyLinkState) {
        case sbConnecting:
            LobbyDisconnect(true);
            break;
        case sbConnected:
            LobbySock().PostClose(LobbyLink.socket);
            break;
        default:
            break;
    }
}

void cd() {
    if (Sb().LobbyLinkState != sbDown) {
        LobbyDisconnect(true);
    }
}

void bc() {
    const tmeaccount& account = ClientState.account;
    switch (Sb().LobbyConnectMode) {
        case 0:
            LobbySendLine("login", std::to_string(ClientBuild) + " " +
                                       std::to_string(LobbyExchangeVersion) + " " +
                                       account.AccountName + " " + HexMaskString(account.Password));
            break;
        case 1:
            LobbySendLine("new", account.SignUpText);
            break;
        case 2:
            LobbySendLine("verify", account.AccountName + " " + HexMaskString(account.Password) +
                                        " " + account.VerifyCode);
            break;
        case 3:
            LobbySendLine("needpass", account.AccountName + " " + account.BirthDate);
            break;
        default:
            break;
    }
}

}  // namespace bsock

// Every entry from the event loop: a failing event costs only itself (logged, the link stays).
void BindLobbySocket() {
    TZRSock& sock = LobbySock();
    sock.OnDataAvailable = [](TZRSock*, int socket) {
        if (socket == LobbyLink.socket) {
            LogAndGoOn("di", bsock::di);
        }
    };
    sock.OnDataNeeded = [](TZRSock*, int socket) {
        if (socket == LobbyLink.socket) {
            LogAndGoOn("ao", bsock::ao);
        }
    };
    sock.OnErrorOccurred = [](TZRSock*, int socket, int error, const std::string&,
                              const std::string& message) {
        if (socket == LobbyLink.socket) {
            LogAndGoOn("ee", [&] { bsock::ee(message, error); });
        }
    };
    sock.OnSessionClosed = [](TZRSock*, int socket) {
        if (socket == LobbyLink.socket) {
            LogAndGoOn("cd", bsock::cd);
        }
    };
    sock.OnSessionConnected = [](TZRSock*, int socket) {
        if (socket == LobbyLink.socket) {
            LogAndGoOn("bc", bsock::bc);
        }
    };
}

}  // namespace pk
