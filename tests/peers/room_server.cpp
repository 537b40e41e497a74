#include "peers/room_server.h"

#include <QTimer>
#include <algorithm>
#include <ctime>
#include <iterator>
#include <utility>
#include <vector>

#include "core/zrmisc.h"
#include "core/zrxsettings.h"
#include "game/zrfield.h"
#include "peers/game_server_play.h"
#include "peers/room_script.h"

namespace pk::peers {

namespace {

constexpr char Sep = '\x02';

std::string Join2(const std::string& a, const std::string& b) {
    return a + Sep + b;
}

// Team colours (0x00BBGGRR), light enough to read in the black outline the clients draw them
// in: each team takes the next by its first seat in slot order; a player without a team white.
constexpr std::uint32_t TeamColours[] = {0x004040FF, 0x00FF9040, 0x0040FF40,
                                         0x0040FFFF, 0x00FF40FF, 0x00FFFF40};
constexpr std::uint32_t NoTeamColour = 0x00FFFFFF;

}  // namespace

ScriptedRoom::ScriptedRoom(GameServerPeer& server) : server_(server), rules_(RoomRules({})) {
    server_.options.autoJoin = false;
    server_.OnSession = [this](GameServerSession& session) {
        session.OnSeedReply = [this](GameServerSession& s, const GameFrame& reply) {
            if (reply.type == 0x01)
                Join(s);
        };
    };
    server_.OnFrame = [this](GameServerSession& s, const GameFrame& f) {
        Frame(s, f);
        if (AfterFrame)
            AfterFrame(s, f);
    };
}

ScriptedRoom::Member* ScriptedRoom::Find(const std::string& name) {
    for (Member& m : members_)
        if (SameText(m.name, name))
            return &m;
    return nullptr;
}

ScriptedRoom::Member* ScriptedRoom::Of(const GameServerSession& session) {
    for (Member& m : members_)
        if (m.session == &session)
            return &m;
    return nullptr;
}

void ScriptedRoom::AddBot(const std::string& name, int slot, const std::string& team) {
    Member bot;
    bot.name = name;
    bot.slot = slot;
    bot.team = team;
    members_.push_back(std::move(bot));
    Broadcast(0x0d, std::to_string(slot) + Sep + name + Sep + team);
    SendTeamColours();
}

int ScriptedRoom::FreeSlot() const {
    for (int slot = 1; slot <= 6; ++slot) {
        const bool taken = std::any_of(members_.begin(), members_.end(),
                                       [slot](const Member& m) { return m.slot == slot; });
        if (!taken)
            return slot;
    }
    return 0;
}

std::string ScriptedRoom::ReadyBits() const {
    std::string bits;
    int position = 0;
    for (int slot = 1; slot <= 6; ++slot) {
        for (const Member& m : members_)
            if (m.slot == slot)
                WriteBits(bits, position, m.ready ? 1u : 0u, 1);
    }
    return bits;
}

void ScriptedRoom::Broadcast(std::uint8_t type, const std::string& payload,
                             const GameServerSession* except) {
    for (const Member& m : members_)
        if (m.session != nullptr && m.session != except &&
            m.session->phase() == GameServerSession::Phase::Room)
            m.session->SendFrame(type, payload);
}

void ScriptedRoom::SendTeamColours() {
    std::vector<std::string> teams;
    std::string payload;
    for (int slot = 1; slot <= 6; ++slot)
        for (const Member& m : members_) {
            if (m.slot != slot)
                continue;
            std::uint32_t colour = NoTeamColour;
            if (!m.team.empty()) {
                auto team = std::find_if(teams.begin(), teams.end(), [&m](const std::string& t) {
                    return SameText(t, m.team);
                });
                if (team == teams.end())
                    team = teams.insert(teams.end(), m.team);
                colour = TeamColours[static_cast<std::size_t>(team - teams.begin()) %
                                     std::size(TeamColours)];
            }
            for (int shift = 0; shift < 32; shift += 8)
                payload += static_cast<char>((colour >> shift) & 0xFF);
        }
    Broadcast(0x04, payload);
}

void ScriptedRoom::SendOperators() {
    std::string list;
    for (const std::string& op : operators) list += (list.empty() ? "" : " ") + op;
    Broadcast(0x25, list);
}

bool ScriptedRoom::IsOperator(const GameServerSession& s) const {
    for (const Member& m : members_)
        if (m.session == &s)
            return std::any_of(operators.begin(), operators.end(),
                               [&](const std::string& op) { return SameText(op, m.name); });
    return false;
}

void ScriptedRoom::Join(GameServerSession& s) {
    const std::string name = WordAt(2, s.LoginLine());
    const int slot = running ? 0 : FreeSlot();
    s.SendJoined(slot, name, "");
    for (const Member& m : members_)
        s.SendFrame(0x07, std::to_string(m.slot) + Sep + m.name + Sep + m.team);
    Broadcast(0x0d, std::to_string(slot) + Sep + name + Sep);
    const bool first = std::none_of(members_.begin(), members_.end(),
                                    [](const Member& m) { return m.session != nullptr; });
    Member player;
    player.name = name;
    player.slot = slot;
    player.session = &s;
    members_.push_back(std::move(player));
    s.Game.rules = RoomRules(gameSetData);
    if (first && firstIsOperator)
        operators.push_back(name);
    if (!gameSetData.empty())
        SendGameSettings(s, true, gameSetName, gameSetData);
    if (!banList.empty())
        SendBanList(s, banList);
    SendOperators();
    Broadcast(0x05, ReadyBits());
    SendTeamColours();
}

void ScriptedRoom::MoveMember(Member& m, int slot) {
    if (slot < 0 || slot > 6 || m.slot == slot)
        return;
    if (slot > 0 && std::any_of(members_.begin(), members_.end(),
                                [slot](const Member& o) { return o.slot == slot; }))
        return;
    m.slot = slot;
    m.ready = false;
    Broadcast(0x24, Join2(m.name, std::to_string(slot)));
    Broadcast(0x05, ReadyBits());
    SendTeamColours();
}

void ScriptedRoom::RemoveMember(const std::string& name) {
    members_.erase(std::remove_if(members_.begin(), members_.end(),
                                  [&](const Member& m) { return SameText(m.name, name); }),
                   members_.end());
}

void ScriptedRoom::ApplyGameSet() {
    rules_ = RoomRules(gameSetData);
    for (Member& m : members_)
        if (m.session != nullptr)
            m.session->Game.rules = rules_;
}

void ScriptedRoom::SetGameSet(const std::string& name, const std::string& data) {
    gameSetName = name;
    gameSetData = data;
    // A game under way keeps the rules it started with, on the server and on the screens of
    // those still in it: they hear of the new set when it ends.
    if (!running)
        ApplyGameSet();
    for (Member& m : members_) {
        if (m.session == nullptr || m.session->phase() != GameServerSession::Phase::Room)
            continue;
        m.setToShow = InPlay(m);
        if (!m.setToShow)
            SendGameSettings(*m.session, true, gameSetName, gameSetData);
    }
}

void ScriptedRoom::StartGame() {
    std::string tokens = startTokens;
    for (int i = 0; i < 8 && startTokens.empty(); ++i) {
        tokens += (i ? std::string(1, Sep) : std::string()) + "1" +
                  std::string(PieceTable[static_cast<std::size_t>(i % 7)]);
    }
    ApplyGameSet();
    running = true;
    paused = false;
    started_ = static_cast<std::int64_t>(std::time(nullptr));
    for (Member& m : members_) {
        m.ready = false;
        if (m.session != nullptr && m.session->phase() == GameServerSession::Phase::Room)
            m.session->StartGame(tokens, 4711, 815);
    }
    StartPlay();
}

std::string ScriptedRoom::StatsRecord(const std::string& winner) const {
    TXSettings record;
    if (gamesPlayed_ > 0)
        record.SetInt("gametime", 125);
    record.SetValue("date", "2026-12-09 06:30");
    record.SetValue("winner", winner);
    record.SetValue("teamwin", "no");
    record.SetValue("keys", "Name\x01Lines\x01Pieces");
    for (const Member& m : members_)
        if (m.slot > 0)
            record.SetValue(std::to_string(m.slot), m.name +
                                                        "\x01"
                                                        "3\x01"
                                                        "12");
    record.SetValue("colwidths",
                    "90\x01"
                    "50\x01"
                    "60");
    return record.SaveToCompressed();
}

void ScriptedRoom::EndGame(const std::string& winner) {
    if (!running)
        return;
    running = false;
    StopPlay();
    ++gamesPlayed_;
    Broadcast(0x0f, winner);
    // The end message names the winner by slot, the statistics by name.
    std::string name;
    for (const Member& m : members_)
        if (m.slot > 0 && std::to_string(m.slot) == winner)
            name = m.name;
    Broadcast(0x02, StatsRecord(name));
    ApplyGameSet();
    for (Member& m : members_)
        if (std::exchange(m.setToShow, false) && m.session != nullptr)
            SendGameSettings(*m.session, true, gameSetName, gameSetData);
}

void ScriptedRoom::Chat(GameServerSession& s, const std::string& name, const std::string& body) {
    const std::string command = TokenAt(1, body, Sep);
    const std::string text = RestFromToken(2, body, Sep);
    // Chat lines go to everyone in the room, the sender too (a client shows only what comes
    // back), in the room window and in the game window alike.
    const auto toRoom = [&](int code) {
        for (const Member& m : members_)
            if (m.session != nullptr && m.session->phase() == GameServerSession::Phase::Room)
                SendServerText(*m.session, 'c', code, false, true, true, {name, text});
    };
    if (command == "\x1e") {
        toRoom(0);
    } else if (command == "me") {
        toRoom(1);
    } else if (command == "p") {
        Member* to = Find(WordAt(1, text));
        const std::string message = RestFromWord(2, text);
        if (to == nullptr) {
            SendServerText(s, 'i', 2, false, true, true, {});
            return;
        }
        SendServerText(s, 'c', 18, false, true, true, {to->name, message});
        if (to->session != nullptr)
            SendServerText(*to->session, 'c', 2, false, true, true, {name, message});
    } else {
        SendServerText(s, 'i', 10, false, true, true, {command});
    }
}

void ScriptedRoom::Frame(GameServerSession& s, const GameFrame& f) {
    Member* me = Of(s);
    if (me == nullptr)
        return;
    const std::string name = me->name;
    switch (f.type) {
        case 0x05:  // ready
            if (!running && me->slot > 0) {
                me->ready = !me->ready;
                Broadcast(0x05, ReadyBits());
            }
            break;
        case 0x06:  // moving oneself
            MoveMember(*me, me->slot > 0 ? 0 : FreeSlot());
            break;
        case 0x0e:  // team
            me->team = f.payload;
            Broadcast(0x0e, Join2(name, f.payload), &s);
            SendTeamColours();
            break;
        case 0x14:  // chat or a slash command, after the place byte
            Chat(s, name, f.payload.empty() ? std::string() : f.payload.substr(1));
            break;
        case 0x10:  // pause
            if (IsOperator(s) && running) {
                paused = f.payload == "1";
                Broadcast(0x0c, paused ? "1" : "0");
            }
            break;
        case 0x12:  // start or stop
            if (!IsOperator(s))
                break;
            if (f.payload == "1" && !running)
                StartGame();
            else if (f.payload == "0" && running)
                EndGame("");
            break;
        case 0x19:  // a piece placed: the others see the field it left (acknowledged before)
            if (InPlay(*me))
                ShowField(*me, s.Game.field, &s);
            break;
        case 0x1d:  // a special used, discarded or sacrificed
            if (InPlay(*me))
                SpecialUsed(s, *me, f.payload);
            break;
        case 0x1e: {  // kick
            if (!IsOperator(s))
                break;
            const std::string who = TokenAt(1, f.payload, Sep);
            const std::string message = TokenAt(2, f.payload, Sep);
            Member* target = Find(who);
            if (target == nullptr)
                break;
            GameServerSession* victim = target->session;
            Broadcast(0x18, who + Sep + name + Sep + message);
            RemoveMember(who);
            if (victim != nullptr)
                victim->Connection().CloseAfterSending();
            Broadcast(0x05, ReadyBits());
            SendTeamColours();
            break;
        }
        case 0x1f: {  // moving a player
            if (!IsOperator(s))
                break;
            Member* target = Find(TokenAt(1, f.payload, Sep));
            const auto slot = ParseInt(TokenAt(2, f.payload, Sep));
            if (target != nullptr && slot)
                MoveMember(*target, *slot);
            break;
        }
        case 0x11:  // ban list
            if (IsOperator(s)) {
                banList = f.payload;
                Broadcast(0x1d, banList);
            }
            break;
        case 0x20:  // the room's game set: name, stored form
            if (IsOperator(s) && !running)
                SetGameSet(TokenAt(1, f.payload, Sep), RestFromToken(2, f.payload, Sep));
            break;
        case 0x21: {  // the slot a watcher views
            const auto slot = ParseInt(f.payload);
            if (slot && *slot >= 1 && *slot <= 6)
                // slot, level, lines, next piece, hold piece
                s.SendFrame(0x21, f.payload + Sep + "1" + Sep + "0" + Sep + "1" +
                                      std::string(PieceTable[1]) + Sep);
            break;
        }
        default:
            break;
    }
}

}  // namespace pk::peers
