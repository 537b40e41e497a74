#include "peers/master_server.h"

#include <random>

#include "core/zrconst.h"
#include "core/zrmisc.h"
#include "net/zrlobbykeys.h"
#include "peers/peer_frames.h"

namespace pk::peers {

namespace {

constexpr char kRecord = '\x01';

std::string Join(std::initializer_list<std::string> fields) {
    return JoinLobbyFields(fields);
}

std::string N(int value) {
    return std::to_string(value);
}

std::uint32_t RandomValue() {
    static std::mt19937 generator{std::random_device{}()};
    return std::uniform_int_distribution<std::uint32_t>(1u, LobbyExchangeValueMax)(generator);
}

}  // namespace

std::string MasterRoomRecord(int id, bool keyed, int users, const std::string& name) {
    return Join({N(id), keyed ? "1" : "0", N(users), name});
}

std::string MasterUserRecord(const std::string& name, int privilege, int status) {
    return Join({name, N(privilege), N(status)});
}

std::string MasterGameRecord(int id, bool defaultSet, int maxPlayers, int maxSpectators,
                             int players, int spectators, const std::string& creator,
                             const std::string& name, const std::string& region, int status) {
    return Join({N(id), defaultSet ? "1" : "0", N(maxPlayers), N(maxSpectators), N(players),
                 N(spectators), creator, name, region, N(status)});
}

std::string MasterRegionRecord(int id, const std::string& name, int games, int people,
                               const std::string& host, int port) {
    return Join({N(id), name, N(games), N(people), host, N(port)});
}

std::string MasterList(const std::vector<std::string>& records) {
    std::string out;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i > 0) {
            out += kRecord;
        }
        out += records[i];
    }
    return out;
}

std::string MasterServerText(char kind, int code, bool lobby, bool room, bool inGame,
                             const std::string& args) {
    const unsigned bits = (static_cast<unsigned>(code) << 3) | (lobby ? 4u : 0u) |
                          (room ? 2u : 0u) | (inGame ? 1u : 0u);
    std::string out(1, kind);
    out += static_cast<char>((bits >> 8) & 0xFF);
    out += static_cast<char>(bits & 0xFF);
    return out + args;
}

void MasterServerSession::SendRaw(const std::string& bytes) {
    conn_.Send(bytes);
}

void MasterServerSession::SendLine(const std::string& text) {
    const std::string line = text + "\r\n";
    transcript_ += line;
    conn_.Send(line);
    if (phase_ == Phase::AwaitReply && LowerCase(WordAt(1, text)) == "ok") {
        phase_ = Phase::Exchange;
    }
}

std::string MasterServerSession::ScrambleFrame(std::uint16_t length, const std::string& body) {
    return ScrambledFrameBytes(sendKey_, length, body);
}

void MasterServerSession::SendFrame(std::uint8_t code, const std::string& payload) {
    SendScrambledFrame(conn_, sendKey_, code, payload);
}

void MasterServerSession::SendFrameInPieces(std::uint8_t code, const std::string& payload,
                                            std::size_t chunk) {
    SendScrambledFrame(conn_, sendKey_, code, payload, chunk);
}

void MasterServerSession::SendWelcome(const std::string& payload, std::uint32_t welcomeNumber) {
    SendFrame(LobbyMsgWelcome, payload);
    MixLobbyKey(sendKey_, welcomeNumber);
}

void MasterServerSession::SendWelcome() {
    const MasterScript& s = server_.script;
    roomId_ = s.roomId;
    status_ = s.status;
    SendWelcome(Join({N(s.welcomeNumber), N(s.privilege), N(s.status), N(s.roomId), N(s.roomFlag),
                      N(s.roomUsers), s.roomName}),
                static_cast<std::uint32_t>(s.welcomeNumber));
}

void MasterServerSession::SendScript() {
    const MasterScript& s = server_.script;
    if (roomId_ == 0) {
        roomId_ = s.roomId;  // a welcome of the test's own making
    }
    SendFrame(LobbyMsgRooms, MasterList(s.rooms));
    SendFrame(LobbyMsgRoomUsers, MasterList(RoomUsers(roomId_)));
    SendFrame(LobbyMsgGames, MasterList(RoomGames(roomId_)));
    SendFrame(LobbyMsgRoomProperties, Join({s.topic, "", "0"}));
    ToRoom(roomId_, LobbyMsgUserJoined, MasterUserRecord(Account(), s.privilege, status_));
    for (const std::string& line : s.chat) {
        SendFrame(LobbyMsgServerText, line);
    }
}

std::string MasterServerSession::Account() const {
    return WordAt(4, loginLine_);
}

void MasterServerSession::Receive() {
    std::string& inbox = conn_.Inbox();
    while (!inbox.empty()) {
        switch (phase_) {
            case Phase::Login: {
                const std::size_t end = inbox.find("\r\n");
                if (end == std::string::npos) {
                    return;
                }
                transcript_ += inbox.substr(0, end + 2);
                loginLine_ = inbox.substr(0, end);
                inbox.erase(0, end + 2);
                phase_ = Phase::AwaitReply;
                const std::string& reply = server_.options.loginReply;
                if (!reply.empty()) {
                    SendLine(reply);
                }
                continue;
            }
            case Phase::AwaitReply:
            case Phase::Closed:
                return;
            case Phase::Exchange: {
                if (inbox.size() < 4) {
                    return;
                }
                const std::string value = inbox.substr(0, 4);
                inbox.erase(0, 4);
                transcript_ += value;
                clientValue_ = ExchangeValueFromBytes(value);
                const std::uint32_t ours =
                    server_.options.serverValue ? server_.options.serverValue : RandomValue();
                const std::string bytes = ExchangeValueBytes(ours);
                transcript_ += bytes;
                conn_.Send(bytes);
                const TLobbyKeys keys = DeriveLobbyKeys(transcript_, clientValue_, ours);
                recvKey_ = keys.clientToServer;
                sendKey_ = keys.serverToClient;
                transcript_.clear();
                phase_ = Phase::Framed;
                if (server_.options.autoWelcome) {
                    SendWelcome();
                    SendScript();
                }
                continue;
            }
            case Phase::Framed: {
                std::string body;
                const auto result = reader_.Next(inbox, recvKey_, body);
                if (result == TFrameReader::Result::NeedMore) {
                    return;
                }
                if (result == TFrameReader::Result::EmptyFrame) {
                    phase_ = Phase::Closed;
                    conn_.Reset();
                    return;
                }
                LobbyFrame frame{static_cast<std::uint8_t>(body[0]), body.substr(1)};
                frames_.push_back(frame);
                if (server_.options.answerRequests) {
                    Answer(frame);
                }
                if (server_.OnFrame) {
                    server_.OnFrame(*this, frame);
                }
                continue;
            }
        }
    }
}

MasterServerPeer::MasterServerPeer() {
    listener_.OnAccept = [this](PeerConnection& conn) {
        ++accepted_;
        if (options.acceptAndClose) {
            conn.Reset();
            return;
        }
        auto session = std::make_unique<MasterServerSession>(conn, *this);
        MasterServerSession& s = *session;
        sessions_.push_back(std::move(session));
        if (OnSession) {
            OnSession(s);
        }
        conn.OnData = [&s](PeerConnection&) { s.Receive(); };
    };
}

MasterServerPeer::~MasterServerPeer() = default;

bool MasterServerPeer::Listen(std::uint16_t port) {
    return listener_.Listen(port);
}

}  // namespace pk::peers
