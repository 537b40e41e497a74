#include "peers/game_server.h"

#include "core/zrconst.h"
#include "core/zrmisc.h"
#include "game/zrfield.h"
#include "peers/peer_frames.h"

namespace pk::peers {

void GameServerSession::SendRaw(const std::string& bytes) {
    conn_.Send(bytes);
}

void GameServerSession::SendLine(const std::string& text) {
    const std::string line = text + "\r\n";
    transcript_ += line;
    conn_.Send(line);
}

void GameServerSession::SendSeed(const std::string& seed) {
    transcript_ += seed;
    // The client's view of the keys, mirrored: its send key is our receive key.
    const TSeedKeys keys = KeysFromSeed(seed);
    std::uint32_t clientSend = keys.send;
    std::uint32_t clientRecv = KeyMix(clientSend, keys.recv);
    const std::uint32_t viaLobby =
        KeyMix(AddressKeyValue(AddressSeenByClient, LobbyKey), clientSend);
    const std::uint32_t direct = KeyMix(clientRecv, clientSend);
    recvKey_ = {UseLobbyKey ? viaLobby : direct, true, ScrambleMulB, ScrambleAddB};
    otherRecvKey_ = {UseLobbyKey ? direct : viaLobby, AcceptEitherKey, ScrambleMulB, ScrambleAddB};
    sendKey_ = {clientRecv, true, ScrambleMulA, ScrambleAddA};
    seedValue_ = RawStringToInt(seed);
    conn_.Send(seed);
}

std::string GameServerSession::ScrambleFrame(std::uint16_t length, const std::string& body) {
    return ScrambledFrameBytes(sendKey_, length, body);
}

void GameServerSession::SendFrame(std::uint8_t type, const std::string& payload) {
    SendScrambledFrame(conn_, sendKey_, type, payload);
}

void GameServerSession::SendFrameInPieces(std::uint8_t type, const std::string& payload,
                                          std::size_t chunk) {
    SendScrambledFrame(conn_, sendKey_, type, payload, chunk);
}

void GameServerSession::SendJoined(int slot, const std::string& name, const std::string& team) {
    SendFrame(0x01, std::to_string(slot) + '\x02' + name + '\x02' + team);
    // The client mixes its send key once it has taken the join reply; it
    // sends nothing in between.
    recvKey_.state = KeyMix(seedValue_, recvKey_.state);
}

void GameServerSession::StartGame(const std::string& tokens, std::int32_t seedA,
                                  std::int32_t seedB) {
    Game.Start(tokens, seedA, seedB);
    SendFrame(0x17, StartGamePayload(tokens, seedA, seedB));
}

void GameServerSession::Receive() {
    std::string& inbox = conn_.Inbox();
    while (!inbox.empty()) {
        if (phase_ == Phase::Login) {
            const std::size_t end = inbox.find("\r\n");
            if (end == std::string::npos) {
                return;
            }
            transcript_ += inbox.substr(0, end + 2);
            loginLine_ = inbox.substr(0, end);
            inbox.erase(0, end + 2);
            phase_ = Phase::AwaitReply;
            if (OnLogin) {
                OnLogin(*this, loginLine_);
            }
            continue;
        }
        if (phase_ == Phase::Closed || !recvKey_.set) {
            return;
        }
        if (phase_ == Phase::AwaitReply && otherRecvKey_.set && !ChooseReplyKey(inbox)) {
            return;
        }
        const std::string before = inbox;
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
        GameFrame frame{static_cast<std::uint8_t>(body[0]), body.substr(1)};
        if (phase_ == Phase::AwaitReply) {
            transcript_ += before.substr(0, before.size() - inbox.size());
            sendKey_.state = KeyMix(StringCrc32(transcript_), sendKey_.state);
            transcript_.clear();
            phase_ = Phase::Room;
            frames_.push_back(frame);
            if (OnSeedReply) {
                OnSeedReply(*this, frame);
            }
            continue;
        }
        frames_.push_back(frame);
        if (OnFrame) {
            OnFrame(*this, frame);
        }
    }
}

bool GameServerSession::ChooseReplyKey(const std::string& inbox) {
    bool decided = true;
    for (TScrambleKey* candidate : {&recvKey_, &otherRecvKey_}) {
        std::string bytes = inbox;
        TScrambleKey key = *candidate;
        TFrameReader reader;
        std::string body;
        const auto result = reader.Next(bytes, key, body);
        if (result == TFrameReader::Result::Frame && body[0] == 0x01) {
            recvKey_ = *candidate;
            otherRecvKey_.set = false;
            return true;
        }
        decided = decided && result != TFrameReader::Result::NeedMore;
    }
    // Neither reads as a join reply: the usual key goes on and the reply is what it is.
    if (decided) {
        otherRecvKey_.set = false;
    }
    return decided;
}

GameServerPeer::GameServerPeer() {
    listener_.OnAccept = [this](PeerConnection& conn) {
        auto session = std::make_unique<GameServerSession>(conn);
        GameServerSession& s = *session;
        sessions_.push_back(std::move(session));
        s.OnLogin = [this](GameServerSession& session, const std::string&) {
            if (!options.loginReply.empty()) {
                session.SendLine(options.loginReply);
            }
            if (options.loginReply == "ok" && !options.seed.empty()) {
                session.SendSeed(options.seed);
            }
        };
        s.Game.rules = RoomRules(options.gameSet);
        s.OnSeedReply = [this](GameServerSession& session, const GameFrame& reply) {
            if (options.autoJoin && reply.type == 0x01) {
                const std::string name = WordAt(2, session.LoginLine());
                session.SendJoined(options.joinSlot, name, options.joinTeam);
                if (!options.gameSet.empty()) {
                    session.SendFrame(0x22, "1" + options.gameSetName + '\x02' + options.gameSet);
                }
            }
        };
        s.OnFrame = [this](GameServerSession& session, const GameFrame& frame) {
            std::string answer;
            if (frame.type == 0x19 && options.acknowledge &&
                session.Game.Acknowledge(frame.payload, options.ackTokens, options.level, answer)) {
                session.SendFrame(0x1a, answer);
            }
            if (OnFrame) {
                OnFrame(session, frame);
            }
        };
        if (OnSession) {
            OnSession(s);
        }
        conn.OnData = [&s](PeerConnection&) { s.Receive(); };
    };
}

GameServerPeer::~GameServerPeer() = default;

bool GameServerPeer::Listen(std::uint16_t port) {
    return listener_.Listen(port);
}

namespace {

std::uint32_t CellValue(char c) {
    const std::size_t at = BlockAlphabet.find(c);
    return at == std::string_view::npos ? 0u : static_cast<std::uint32_t>(at + 1);
}

std::string EncodeCells(const std::string& before, const std::string& after, bool changesOnly) {
    std::string bits;
    int position = 0;
    WriteBits(bits, position, changesOnly ? 1u : 0u, 1);
    for (int row = 0; row < FieldHeight; ++row) {
        const auto at = [&](const std::string& field, int column) {
            const auto index = static_cast<std::size_t>(row * FieldWidth + column);
            return index < field.size() ? field[index] : '0';
        };
        const auto mentioned = [&](int column) {
            return changesOnly ? at(before, column) != at(after, column) : at(after, column) != '0';
        };
        bool any = false;
        for (int column = 0; column < FieldWidth; ++column) {
            any = any || mentioned(column);
        }
        WriteBits(bits, position, any ? 1u : 0u, 1);
        if (!any) {
            continue;
        }
        for (int column = 0; column < FieldWidth; ++column) {
            if (mentioned(column)) {
                WriteBits(bits, position, 1u, 1);
                WriteBits(bits, position, CellValue(at(after, column)), 5);
            } else {
                WriteBits(bits, position, 0u, 1);
            }
        }
    }
    return bits;
}

}  // namespace

std::string EncodeFieldDiff(const std::string& field) {
    return EncodeCells({}, field, false);
}

std::string EncodeFieldChanges(const std::string& before, const std::string& after) {
    return EncodeCells(before, after, true);
}

}  // namespace pk::peers
