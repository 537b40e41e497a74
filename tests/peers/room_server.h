#pragma once
// A living game room on top of the scripted game server: several players (connected clients
// and scripted bots), slots and watchers, teams, operators (0x25), ready marks (0x05) and the
// watched slot (0x21). It answers what a room window sends: ready (0x05), moving oneself
// (0x06), team (0x0e), chat and "/me", "/p" (0x14), pause (0x10), start and stop (0x12), kick
// (0x1e), moving a player (0x1f), the ban list (0x11) and the room's game set (0x20); the seated
// players' team colours (0x04) follow every change of seats and teams; a game that ends sends
// the last game's statistics (0x02). Messages go out in the server's own words, built
// here.
//
// In a game (room_play.cpp) the players' field changes go to everyone else (0x08), a special
// used by a player (0x1d) is confirmed (0x26) and dealt out (0x15, 0x16, 0x11), and a player who
// is out is told so (0x1b, 0x09); the game ends when at most one player is left in it. With
// `botPlay` the seated bots play too (bot_game.h), deterministically from `botSeed`.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/zrgame.h"
#include "game/zrrandom.h"
#include "peers/bot_game.h"
#include "peers/game_server.h"

class QTimer;

namespace pk::peers {

class ScriptedRoom {
public:
    struct Member {
        std::string name;
        int slot = 0;
        std::string team;
        bool ready = false;
        GameServerSession* session = nullptr;  // nullptr: a bot
        // In the game under way (seated at its start) and not out yet.
        bool playing = false;
        BotGame bot;             // a bot's game
        std::string seen;        // the field the other players' clients hold of this player
        bool setToShow = false;  // a new game set waits for the end of the game
    };

    // Takes over the server's session and frame callbacks.
    explicit ScriptedRoom(GameServerPeer& server);
    ~ScriptedRoom();

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
    // The seated bots play every game: a piece each about every `botPieceMs` (0: only on
    // BotTurn), their pieces, places and specials drawn from `botSeed` (and the game's number).
    bool botPlay = false;
    std::uint32_t botSeed = 1;
    int botPieceMs = 1000;

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
    // `winner`: the winning slot's number, or empty.
    void EndGame(const std::string& winner);
    // One bot's turn: the next bot in the game places a piece, shows it to everyone, now and
    // then uses a special after clearing rows, and is out when its stack reached the top.
    void BotTurn();
    // A player is out: told to everyone; with at most one player left the game ends, won by it.
    void Lose(const std::string& name);
    // The statistics record of the last game, compressed (0x02's payload); `winner` is a name.
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
    // The colour of each seated player's team (0x04), in which the clients draw its name.
    void SendTeamColours();
    bool IsOperator(const GameServerSession& s) const;
    int FreeSlot() const;
    void MoveMember(Member& m, int slot);
    // The room's game set becomes the rules of every connected player's game.
    void ApplyGameSet();
    void RemoveMember(const std::string& name);
    // room_play.cpp: the game under way.
    void StartPlay();
    void StopPlay();
    bool InPlay(const Member& m) const;
    // The field changes since `m.seen` to every connected player but `except`.
    void ShowField(Member& m, const std::string& field, const GameServerSession* except = nullptr);
    // A special from one player in the game on another, as the room deals it out.
    void DealSpecial(Member& from, Member& to, char letter);
    // Message 0x1d: a special used, discarded or sacrificed by a connected player.
    void SpecialUsed(GameServerSession& s, Member& me, const std::string& payload);

    GameServerPeer& server_;
    std::vector<Member> members_;
    std::int64_t started_ = 0;
    int gamesPlayed_ = 0;
    tgamerules rules_;
    TRandomGen random_;
    std::unique_ptr<QTimer> botTimer_;
    std::size_t nextBot_ = 0;
};

}  // namespace pk::peers
