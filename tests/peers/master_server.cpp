#include "peers/master_server.h"

#include <random>

#include "core/zrconst.h"
#include "core/zrmisc.h"
#include "net/zrlobbykeys.h"

namespace pk::peers {

namespace {

constexpr char kField = '\x02';
constexpr char kRecord = '\x01';

std::string Join(std::initializer_list<std::string> fields) {
    std::string out;
    bool first = true;
    for (const std::string& f : fields) {
        if (!first) {
            out += kField;
        }
        out += f;
        first = false;
    }
    return out;
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
    std::string frame = WordToNetString(length) + body;
    sendKey_.Scramble(frame);
    return frame;
}

void MasterServerSession::SendFrame(std::uint8_t code, const std::string& payload) {
    auto frame = BuildGameFrame(code, payload);
    if (!frame) {
        return;
    }
    sendKey_.Scramble(*frame);
    conn_.Send(*frame);
}

void MasterServerSession::SendFrameInPieces(std::uint8_t code, const std::string& payload,
                                            std::size_t chunk) {
    auto frame = BuildGameFrame(code, payload);
    if (!frame || chunk == 0) {
        return;
    }
    sendKey_.Scramble(*frame);
    for (std::size_t at = 0; at < frame->size(); at += chunk) {
        conn_.Send(frame->substr(at, chunk));
    }
}

void MasterServerSession::SendWelcome(const std::string& payload, std::uint32_t welcomeNumber) {
    SendFrame(26, payload);
    MixLobbyKey(sendKey_, welcomeNumber);
}

void MasterServerSession::SendWelcome() {
    const MasterScript& s = server_.script;
    SendWelcome(Join({N(s.welcomeNumber), N(s.privilege), N(s.status), N(s.roomId), N(s.roomFlag),
                      N(s.roomUsers), s.roomName}),
                static_cast<std::uint32_t>(s.welcomeNumber));
}

void MasterServerSession::SendScript() {
    const MasterScript& s = server_.script;
    const std::string account = WordAt(4, loginLine_);
    SendFrame(12, MasterList(s.rooms));
    std::vector<std::string> users{MasterUserRecord(account, s.privilege, s.status)};
    users.insert(users.end(), s.users.begin(), s.users.end());
    SendFrame(8, MasterList(users));
    SendFrame(16, MasterList(s.games));
    SendFrame(21, Join({s.topic, "", "0"}));
    for (const std::string& line : s.chat) {
        SendFrame(2, line);
    }
}

void MasterServerSession::HandOverGame(int gameId) {
    // The client hands its send key as it stands after the request to the game link; ours
    // has read the same bytes.
    if (server_.OnGameKey) {
        server_.OnGameKey(recvKey_.state);
    }
    const MasterScript& s = server_.script;
    SendFrame(19, Join({N(gameId), s.gameHost, N(s.gamePort)}));
}

void MasterServerSession::Answer(const LobbyFrame& frame) {
    const MasterScript& s = server_.script;
    const std::string account = WordAt(4, loginLine_);
    const auto field = [&frame](int n) { return TokenAt(n, frame.payload, kField); };
    if (MasterAnswerDialogRequest(*this, s, frame)) {
        return;
    }
    switch (frame.code) {
        case 17:  // pong
            ++pongs_;
            break;
        case 22: {  // friends list
            std::vector<std::string> online;
            for (const auto& f : s.onlineFriends) {
                for (int i = 1; i <= TokenCount(frame.payload, kRecord); ++i) {
                    if (SameText(TokenAt(i, frame.payload, kRecord), f.name)) {
                        online.push_back(Join({f.name, N(f.status), N(f.roomId)}));
                    }
                }
            }
            SendFrame(31, MasterList(online));
            break;
        }
        case 2:  // regions
            SendFrame(4, MasterList(s.regions));
            break;
        case 7:  // join game: its game set first
            SendFrame(18, field(1) + kField + s.gameSetRules);
            break;
        case 5:  // join game on its server
            HandOverGame(ParseInt(field(1)).value_or(0));
            break;
        case 6: {  // create game: region, game-set name, game-set text
            const int id = nextGameId_++;
            SendFrame(14, Join({N(id), "0", "6", "2", account, field(2), "Local"}));
            HandOverGame(id);
            break;
        }
        case 18:  // command; plain chat comes back as a chat line of the room
            if (field(1) == "\x1e") {
                SendFrame(2, MasterServerText(
                                 'c', 0, true, false, false,
                                 account + kField + RestFromToken(2, frame.payload, kField)));
            }
            break;
        case 12:  // own status
            SendFrame(9, Join({account, N(s.privilege), frame.payload}));
            break;
        case 3:  // join room
            SendFrame(27, Join({field(1), N(s.privilege), N(s.status)}));
            SendFrame(8, MasterUserRecord(account, s.privilege, s.status));
            break;
        case 21:  // player details
            SendFrame(33, frame.payload + kField + "details");
            break;
        case 26:  // player statistics
            SendFrame(34, frame.payload + kField + "stats");
            break;
        default:
            break;
    }
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
