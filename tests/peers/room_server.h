#pragma once
// A living game room on top of the scripted game server: several players (connected clients
// and scripted bots), slots and watchers, teams, operators (0x25), ready marks (0x05) and the
// watched slot (0x21). It answers what a room window sends: ready (0x05), moving oneself
// (0x06), team (0x0e), chat and "/me", "/p" (0x14), pause (0x10), start and stop (0x12), kick
// (0x1e), moving a player (0x1f), the ban list (0x11) and the room's game set (0x20); a game that
// ends sends the last game's statistics (0x02). Messages go out in the server's own words, built
// here.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "peers/game_server.h"

namespace pk::peers {

class ScriptedRoom {
public:
    struct Member {
        std::string name;
        int slot = 0;
        std::string team;
        bool ready = false;
        GameServerSession* session = nullptr;  // nullptr: a bot
    };

    // Takes over the server's session and frame callbacks.
    explicit ScriptedRoom(GameServerPeer& server);

    // A bot present from the start (before anyone joins) or arriving now.
    void AddBot(const std::string& name, int slot, const std::string& team = {});
    // The first connected player becomes the room's operator when set.
    bool firstIsOperator = true;
    std::vector<std::string> operators;
    std::string banList;
    std::string gameSetName = "Default";
    // The stored form of the room's game set; "" sends none (the room then plays by the rules
    // of a fresh set). Every player's game is answered by its rules, from the next game on.
    std::string gameSetData;
    // The piece tokens a game starts with, joined by 0x02; empty: the seven pieces in turn.
    std::string startTokens;
    bool running = false;
    bool paused = false;

    // Called after the room handled a frame.
    std::function<void(GameServerSession&, const GameFrame&)> AfterFrame;

    const std::vector<Member>& Members() const { return members_; }
    Member* Find(const std::string& name);
    Member* Of(const GameServerSession& session);

    // A new game set for the room, as an operator's change (0x20) brings it: told to every
    // connected player; the players' games go by it from the next game on.
    void SetGameSet(const std::string& name, const std::string& data);

    // Game control as the server decides it.
    void StartGame();
    void EndGame(const std::string& winner);
    // The statistics record of the last game, compressed (0x02's payload).
    std::string StatsRecord(const std::string& winner) const;

    // Payload helpers: the ready bits of the occupied slots, MSB first.
    std::string ReadyBits() const;

private:
    void Join(GameServerSession& s);
    void Frame(GameServerSession& s, const GameFrame& f);
    // Message 0x14 without its place byte: the command word (0x1E for a plain line), 0x02, text.
    void Chat(GameServerSession& s, const std::string& name, const std::string& body);
    void Broadcast(std::uint8_t type, const std::string& payload,
                   const GameServerSession* except = nullptr);
    void SendOperators();
    bool IsOperator(const GameServerSession& s) const;
    int FreeSlot() const;
    void MoveMember(Member& m, int slot);
    // The room's game set becomes the rules of every connected player's game.
    void ApplyGameSet();
    void RemoveMember(const std::string& name);

    GameServerPeer& server_;
    std::vector<Member> members_;
    std::int64_t started_ = 0;
    int gamesPlayed_ = 0;
};

}  // namespace pk::peers
