// From the login to a seated player in a game room, without a window: the client against the
// scripted master server, which hands the game over to the scripted game server.
#include <optional>

#include "core/zrgamesetlist.h"
#include "core/zrxsettings.h"
#include "game/zrfield.h"
#include "link_fixture.h"
#include "lobby/zrlobbychat.h"
#include "lobby/zrlobbywindow.h"
#include "peers/game_server.h"
#include "peers/lobby_games.h"
#include "peers/room_server.h"
#include "room/zrgamelink.h"

namespace pk::test {
namespace {

using peers::GameServerPeer;
using peers::GameServerSession;

class EndToEnd : public LinkTest {
protected:
    class PlayerHost : public GameLinkHost {
    public:
        std::vector<std::string> roomChat;
        std::string PlayerName() override { return ClientState.account.AccountName; }
        void RoomChat(const std::string& line) override { roomChat.push_back(line); }
    };

    void SetUp() override {
        LinkTest::SetUp();
        ASSERT_TRUE(games.Listen());
        FieldWidth = 12;
        FieldHeight = 22;
        InitRoomHandlers();
        BindGameSocket();
        lobbyGameHost.SetInner(&playerHost);
        SetGameLinkHost(&lobbyGameHost);
        host.realGameLink = true;
        host.onGameSetView = [](std::int32_t id, const std::string&, const std::string&) {
            LobbyJoinGame(id, false);
        };
        MasterScriptForGames();
    }
    void TearDown() override {
        GameDisconnect();
        SetGameLinkHost(nullptr);
        LinkTest::TearDown();
    }

    void MasterScriptForGames() {
        peers::MasterScript& s = server.script;
        s.rooms = {peers::MasterRoomRecord(1, false, 2, "Lobby"),
                   peers::MasterRoomRecord(2, true, 0, "Quiet")};
        s.users = {peers::MasterUserRecord("Ada", 1, 1)};
        s.games = {peers::MasterGameRecord(7, true, 6, 2, 1, 0, "Ada", "Classic", "Local", 1)};
        s.regions = {peers::MasterRegionRecord(1, "Local", 1, 2, "127.0.0.1", games.Port())};
        s.gamePort = games.Port();
        server.OnGameKey = [this](std::uint32_t key) { lobbyKeys.push_back(key); };
        games.OnSession = [this](GameServerSession& session) {
            session.UseLobbyKey = true;
            session.LobbyKey = lobbyKeys.empty() ? 0 : lobbyKeys.back();
        };
    }

    bool Seated() {
        return RunUntil([] { return ClientState.game.GameLinkState == LinkInRoom; });
    }

    GameServerPeer games;
    PlayerHost playerHost;
    LobbyGameLinkHost lobbyGameHost;
    std::vector<std::uint32_t> lobbyKeys;
    // The master's games in a room of the game server, as the masterserver program has them.
    std::optional<peers::ScriptedRoom> room;
    std::optional<peers::LobbyGames> handOver;
};

TEST_F(EndToEnd, LoginRoomListAndJoinAGameToASeat) {
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    ASSERT_TRUE(RunUntil([] { return FindGame(7) != nullptr && FindRoom(2) != nullptr; }));
    EXPECT_EQ(FindRoom(2)->flag, 1);
    EXPECT_NE(FindRoomUser("ada"), nullptr);
    EXPECT_EQ(LobbyModel.currentRoom->users.size(), 2u);  // the own user listed once

    RequestJoinGame(7);
    ASSERT_TRUE(Seated());
    // The path the request took: regions first (stale after the welcome), then the game's
    // set, then the join on its server.
    std::vector<int> codes;
    for (const auto& f : Frames()) {
        codes.push_back(f.code);
    }
    EXPECT_EQ(codes, (std::vector<int>{22, 24, 2, 7, 5}));
    ASSERT_EQ(lobbyKeys.size(), 1u);
    EXPECT_EQ(GameLink.LobbyGameKey, lobbyKeys[0]);

    GameServerSession& g = *games.Last();
    EXPECT_EQ(g.LoginLine(), "login alice 136");
    EXPECT_EQ(ClientState.game.OwnSlot, 1);
    ASSERT_NE(ClientState.game.OwnPlayer, nullptr);
    EXPECT_EQ(ClientState.game.OwnPlayer->name, "alice");
    EXPECT_EQ(ClientState.game.Spectating, 0);
    EXPECT_EQ(ClientState.game.JoinedGame, FindGame(7));
    EXPECT_EQ(playerHost.roomChat.front(),
              Chat("~14*** You have joined the game ~01Classic~ created by ~01Ada~ on server "
                   "~01127.0.0.1~!"));
    ASSERT_TRUE(RunUntil([this] { return host.chat.size() >= 4; }));
    EXPECT_NE(std::find(host.chat.begin(), host.chat.end(),
                        Chat("~01~11*** ~02Successfully joined game!")),
              host.chat.end());

    // Frames both ways in the room: the scrambled send key agrees with the server's.
    SendGameMessage(0x14, "hello room");
    ASSERT_TRUE(RunUntil([&g] { return !g.Frames().empty() && g.Frames().back().type == 0x14; }));
    EXPECT_EQ(g.Frames().back().payload, "hello room");
}

TEST_F(EndToEnd, CreateAGameAndTakeItsSeat) {
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    ASSERT_TRUE(FrameArrives(24));
    LobbyCreateGame("Classic", 1, "coded set", true);
    ASSERT_TRUE(Seated());
    EXPECT_EQ(Frames().back().code, 6);
    EXPECT_EQ(Frames().back().payload,
              "1\x02"
              "Classic\x02"
              "coded set");
    EXPECT_EQ(GameLink.JoinMode, 1);
    ASSERT_NE(ClientState.game.JoinedGame, nullptr);
    EXPECT_EQ(ClientState.game.JoinedGame->name, "Classic");
}

TEST_F(EndToEnd, AGameCreatedFromTheLobbyPlaysByTheSetItWasCreatedWith) {
    room.emplace(games);
    handOver.emplace(server, games, *room);
    ASSERT_TRUE(LoadGameSets(BuiltInGameSetBlock(), GameSetFileVersion));
    std::string set;
    for (const auto& entry : GameSetList)
        if (entry->name == "Classic + Special Game")
            set = entry->data;
    GameSetList.clear();
    ASSERT_FALSE(set.empty());

    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    ASSERT_TRUE(FrameArrives(24));
    LobbyCreateGame("Classic + Special Game", 1, set, false);
    ASSERT_TRUE(Seated());
    ASSERT_TRUE(RunUntil([&set] { return ClientState.game.CurrentGameSetBlob == set; }));
    // Every weight of the set, in the room the client sees and in the server's own rules.
    const std::string weights = "aaacccnrrsbbgqqoovidfm";
    for (std::size_t lines = 1; lines <= 4; ++lines) {
        EXPECT_EQ(Settings.rules.sbchance[lines], weights) << lines;
        EXPECT_EQ(games.Last()->Game.rules.sbchance[lines], weights) << lines;
    }
    // The lobby lists the game under its set's name, and shows whoever joins it its set.
    ASSERT_NE(ClientState.game.JoinedGame, nullptr);
    EXPECT_EQ(ClientState.game.JoinedGame->name, "Classic + Special Game");
    const std::int32_t id = ClientState.game.JoinedGame->id;
    GameDisconnect();
    std::string shown;
    host.onGameSetView = [&shown](std::int32_t, const std::string&, const std::string& rules) {
        shown = rules;
    };
    RequestJoinGame(id);
    ASSERT_TRUE(RunUntil([&shown] { return !shown.empty(); }));
    EXPECT_EQ(shown, set);
}

TEST_F(EndToEnd, WhoisHelpANewRoomAndTheWayBackAreAnsweredAsByARealServer) {
    server.script.topic = "Be nice";
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    ASSERT_TRUE(RunUntil([] { return FindGame(7) != nullptr && FindRoomUser("ada") != nullptr; }));
    const auto called = [this](const std::string& head) {
        for (const std::string& call : host.calls)
            if (call.rfind(head, 0) == 0)
                return call.substr(head.size());
        return std::string();
    };

    // "/whois": who the player is and where, and a statistics table.
    ProcessLobbyChatLine("/whois Ada");
    ASSERT_TRUE(RunUntil([&] { return !called("Details ").empty() && !called("Stats ").empty(); }));
    TXSettings details;
    ASSERT_TRUE(details.LoadFromCompressed(called("Details ")));
    EXPECT_EQ(details.GetValue("nickname"), "Ada");
    EXPECT_EQ(details.GetValue("online"), "1");
    EXPECT_EQ(details.GetValue("state"), "1");
    EXPECT_EQ(details.GetValue("roomid"), "1");
    TXSettings stats, table;
    ASSERT_TRUE(stats.LoadFromCompressed(called("Stats ")));
    ASSERT_TRUE(table.LoadFromString(stats.GetValue("0")));
    EXPECT_EQ(table.GetValue("title"), "Games");

    // "/help": lines of the server's own.
    ProcessLobbyChatLine("/help");
    ASSERT_TRUE(RunUntil([this] {
        return std::any_of(host.chat.begin(), host.chat.end(), [](const std::string& line) {
            return line.rfind(Chat("~19Commands: /p <name> <text>"), 0) == 0;
        });
    }));

    // "/p" to a user of the room: the server confirms it to the sender.
    ProcessLobbyChatLine("/p Ada psst");
    const std::string sent = Chat("~01~22=~~14Message to Ada~~22= ~~00psst");
    ASSERT_TRUE(RunUntil([this, &sent] {
        return std::find(host.chat.begin(), host.chat.end(), sent) != host.chat.end();
    }));

    // A new room: listed, joined, and empty but for its creator.
    CreateRoomNamed("Den");
    ASSERT_TRUE(RunUntil([] {
        return LobbyModel.currentRoom && FindRoom(LobbyModel.currentRoom->roomId) &&
               FindRoom(LobbyModel.currentRoom->roomId)->name == "Den";
    }));
    EXPECT_NE(LobbyModel.currentRoom->roomId, 1);
    EXPECT_EQ(FindGame(7), nullptr);
    EXPECT_EQ(FindRoomUser("ada"), nullptr);
    ASSERT_TRUE(RunUntil([] { return FindRoomUser("alice") != nullptr; }));

    // Back in the lobby its users, games and topic come again.
    ASSERT_TRUE(JoinRoomClicked(1));
    ASSERT_TRUE(RunUntil([] {
        return LobbyModel.currentRoom->roomId == 1 && FindGame(7) != nullptr &&
               FindRoomUser("ada") != nullptr && FindRoomUser("alice") != nullptr &&
               LobbyModel.currentRoom->topic == "Be nice";
    }));
}

TEST_F(EndToEnd, LeavingTheLobbyClosesTheGameAndReleasesItsRecord) {
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    ASSERT_TRUE(RunUntil([] { return FindGame(7) != nullptr; }));
    RequestJoinGame(7);
    ASSERT_TRUE(Seated());
    // The game leaves the list while it is played: the link keeps its record.
    server.Last()->SendFrame(15, "7");
    ASSERT_TRUE(RunUntil([] { return FindGame(7) == nullptr; }));
    ASSERT_NE(ClientState.game.JoinedGame, nullptr);
    EXPECT_EQ(ClientState.game.JoinedGame->name, "Classic");

    LobbyDisconnect(false);
    EXPECT_EQ(ClientState.game.GameLinkState, LinkDown);
    EXPECT_EQ(ClientState.game.JoinedGame, nullptr);
    EXPECT_EQ(LobbyModel.retainedJoinedGame, nullptr);
}

TEST_F(EndToEnd, ChatGoesOutAndComesBackAsAChatLine) {
    server.script.chat = {peers::MasterServerText('c', 0, true, false, false,
                                                  "Ada\x02"
                                                  "hello there")};
    LobbyConnect(0);
    ASSERT_TRUE(Welcomed());
    const std::string hello = Chat("~01~22(~~14~03Ada~~~22) ~~00hello there");
    ASSERT_TRUE(RunUntil([this, &hello] {
        return std::find(host.chat.begin(), host.chat.end(), hello) != host.chat.end();
    }));
    SendLobbyCommand("\x1e", "hi all");
    const std::string mine = Chat("~01~22(~~14~03alice~~~22) ~~00hi all");
    ASSERT_TRUE(RunUntil([this, &mine] {
        return std::find(host.chat.begin(), host.chat.end(), mine) != host.chat.end();
    }));
}

}  // namespace
}  // namespace pk::test
