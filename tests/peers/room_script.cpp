#include "peers/room_script.h"

#include "peers/game_server_play.h"

namespace pk::peers {

namespace {

constexpr char Sep = '\x02';

std::string Join(const std::vector<std::string>& fields) {
    std::string out;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += Sep;
        out += fields[i];
    }
    return out;
}

}  // namespace

std::string PackStack(const std::vector<int>& cells) {
    std::string bits((cells.size() + 1) / 2, '\0');
    for (size_t i = 0; i < cells.size(); ++i) {
        const int v = cells[i] & 0x0F;
        bits[i / 2] = static_cast<char>(bits[i / 2] | (i % 2 == 0 ? v << 4 : v));
    }
    return bits;
}

void SendGameSettings(GameServerSession& s, bool show, const std::string& name,
                      const std::string& compressedSet) {
    s.SendFrame(0x22, (show ? "1" : "0") + name + Sep + compressedSet);
}

void SendRoomMessage(GameServerSession& s, bool show, const std::string& text) {
    s.SendFrame(0x19, (show ? "1" : "0") + text);
}

void SendBanList(GameServerSession& s, const std::string& text) {
    s.SendFrame(0x1d, text);
}

void SendPresent(GameServerSession& s, int slot, const std::string& name, const std::string& team) {
    s.SendFrame(0x07, Join({std::to_string(slot), name, team}));
}

void SendArrival(GameServerSession& s, int slot, const std::string& name, const std::string& team) {
    s.SendFrame(0x0d, Join({std::to_string(slot), name, team}));
}

void SendTeam(GameServerSession& s, const std::string& name, const std::string& team) {
    s.SendFrame(0x0e, Join({name, team}));
}

void SendCountdown(GameServerSession& s, int seconds) {
    s.SendFrame(0x23, std::to_string(seconds));
}

void SendGameStart(GameServerSession& s, const std::vector<std::string>& tokens, int32_t seedA,
                   int32_t seedB, const std::string& stack) {
    s.SendFrame(0x17, StartGamePayload(Join(tokens), seedA, seedB, stack));
}

void SendPause(GameServerSession& s, bool paused) {
    s.SendFrame(0x0c, paused ? "1" : "0");
}

void SendPlayerOut(GameServerSession& s, int slot) {
    s.SendFrame(0x09, std::to_string(slot));
}

void SendOwnLoss(GameServerSession& s) {
    s.SendFrame(0x1b, "");
}

void SendGameEnd(GameServerSession& s, const std::string& winner) {
    s.SendFrame(0x0f, winner);
}

void SendLeave(GameServerSession& s, const std::string& name, const std::string& kicker,
               const std::string& message) {
    s.SendFrame(0x18, Join({name, kicker, message}));
}

void SendMoveSlot(GameServerSession& s, const std::string& name, int slot) {
    s.SendFrame(0x24, Join({name, std::to_string(slot)}));
}

void SendServerText(GameServerSession& s, char kind, int code, bool lobby, bool room, bool inGame,
                    const std::vector<std::string>& args) {
    const unsigned head = (static_cast<unsigned>(code) << 3) | (lobby ? 4u : 0u) |
                          (room ? 2u : 0u) | (inGame ? 1u : 0u);
    std::string payload(1, kind);
    payload += static_cast<char>((head >> 8) & 0xFF);
    payload += static_cast<char>(head & 0xFF);
    s.SendFrame(0x03, payload + Join(args));
}

}  // namespace pk::peers
