#pragma once
// The scenes the look tests and the README's pictures show, on the client's windows as the
// program makes them (themed_client.h): the lobby after a login to the scripted master server,
// the game room of the scripted game server with players seated, a game in progress with its
// clock held still, and each dialog with what it is for.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeView>
#include <memory>
#include <string>

#include "core/chatstyle.h"
#include "core/zrgameset.h"
#include "core/zrgamesetlist.h"
#include "game/zrfield.h"
#include "game/zrfmqueue.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "game/zrowngame.h"
#include "lobby/lobby_fixture.h"
#include "lobby/records_fixture.h"
#include "lobby/ui/themed_client.h"
#include "lobby/ui/zruserstats.h"
#include "peers/master_server.h"
#include "peers/room_script.h"
#include "peers/room_server.h"
#include "room/zrgamelink.h"
#include "support/fake_game_io.h"
#include "support/temp_dir.h"

namespace pk::test {

class ClientScenes : public ::testing::Test {
protected:
    void Start(ShippedTheme theme) {
        client = std::make_unique<ThemedClient>(theme, dir.Path());
        ASSERT_TRUE(client->started);
    }
    void TearDown() override {
        GameDisconnect();
        client.reset();
        SetGameClock(nullptr);
    }

    // The lobby after the login: rooms, the room's users with a friend, games, the topic and
    // the chat, the player's own lines among them.
    void LobbyWithPlayers() {
        peers::MasterScript& s = master.script;
        s.privilege = 1;
        s.roomUsers = 4;
        s.rooms = {peers::MasterRoomRecord(1, false, 4, "Lobby"),
                   peers::MasterRoomRecord(2, true, 2, "Vault"),
                   peers::MasterRoomRecord(3, false, 0, "Quiet")};
        s.users = {peers::MasterUserRecord("Ada", 1, 1), peers::MasterUserRecord("Bo", 3, 2),
                   peers::MasterUserRecord("Cy", 2, 3)};
        s.games = {
            peers::MasterGameRecord(7, true, 6, 2, 4, 1, "Ada", "Friday Classic", "Local", 0),
            peers::MasterGameRecord(8, false, 4, 2, 1, 0, "Bo", "Brawl", "Local", 1)};
        s.regions = {peers::MasterRegionRecord(1, "Local", 2, 5, "127.0.0.1", 1)};
        s.topic = "Welcome to Pelkorin! Be kind, play fair.";
        s.chat = {peers::MasterServerText('c', 0, true, false, false, "Ada\x02hi alice, join us"),
                  peers::MasterServerText('c', 1, true, false, false, "Bo\x02waves")};
        s.onlineFriends = {{"Ada", 1, 1}};
        ASSERT_TRUE(master.Listen());
        NewFriend("Ada");
        NewFriend("Mirela");
        client->LogIn(master.Port());
        ASSERT_TRUE(RunUntil([this] {
            return client->browser->gamelist()->model()->rowCount() == 2 &&
                   client->browser->roomlist()->model()->rowCount() == 3 &&
                   FindRoomUser("cy") != nullptr &&
                   client->browser->chatbox()->Lines().Count() >= 2;
        }));
        Say("good luck everyone");
        ASSERT_TRUE(RunUntil([this] { return client->browser->chatbox()->Lines().Count() >= 5; }));
        // The topic held still where it begins at the banner's left.
        client->browser->topicbanner()->banner.offset = client->browser->topicbanner()->width() - 6;
        client->browser->topicbanner()->banner.speed = 0;
        DrainEvents();
    }
    void Say(const std::string& line) {
        client->browser->chateb()->setText(QString::fromStdString(line));
        client->browser->chatebKeyPress();
    }

    // The game room with two others seated and one watching, chat both ways and the own mark.
    void RoomWithPlayers() {
        Config.accountname = "alice";
        ASSERT_TRUE(games.Listen());
        room = std::make_unique<peers::ScriptedRoom>(games);
        TGameSet set;
        set.SetValue("startvote", "1");
        set.SetValue("allowmove", "1");
        room->gameSetName = "Friday";
        room->gameSetData = set.SaveToCompressed();
        room->AddBot("Drovak", 3, "reds");
        room->AddBot("Ilsa", 2);
        room->AddBot("Tamsin", 0);
        GameConnect("127.0.0.1", games.Port());
        ASSERT_TRUE(RunUntil([] {
            return ClientState.game.GameLinkState == LinkInRoom && FindPlayer("Tamsin") &&
                   Settings.rules.startvote == 1;
        }));
        client->room->chatedit()->setText("hello room");
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent enter(type, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(client->room->chatedit(), &enter);
        }
        peers::SendServerText(*games.Last(), 'c', 0, false, true, false, {"Drovak", "gl hf"});
        ASSERT_TRUE(RunUntil([this] { return client->room->chatbox()->Lines().Count() >= 5; }));
        DrainEvents();
    }

    // A game of three in progress: the bots' turns and the own pieces taken one at a time, the
    // game's clock held still, so nothing falls while the window is looked at and every run
    // plays the same game.
    void GameInProgress(int ownPieces) {
        Config.accountname = "alice";
        Settings.options.animdrop = 0;
        heldClock.ms = 5000000;
        SetGameClock(&heldClock);
        ASSERT_TRUE(games.Listen());
        room = std::make_unique<peers::ScriptedRoom>(games);
        TGameSet set;
        for (int i = 1; i <= 4; ++i) set.SetValue("sbchance" + std::to_string(i), "aacng");
        room->gameSetName = "Friday";
        room->gameSetData = set.SaveToCompressed();
        room->AddBot("Drovak", 2, "reds");
        room->AddBot("Ilsa", 3);
        room->AddBot("Tamsin", 0);
        room->botPlay = true;
        room->botSeed = 9;
        room->botPieceMs = 0;  // the scene takes the bots' turns
        // Each own piece is answered with the next of the seven.
        room->AfterFrame = [this, next = std::size_t{0}](peers::GameServerSession&,
                                                         const peers::GameFrame& frame) mutable {
            if (frame.type == 0x19) {
                next = (next + 1) % 7;
                games.options.ackTokens = "1" + std::string(PieceTable[next]);
            }
        };
        GameConnect("127.0.0.1", games.Port());
        ASSERT_TRUE(RunUntil([] {
            return ClientState.game.GameLinkState == LinkInRoom && FindPlayer("Tamsin") &&
                   !ClientState.game.RoomOperators.empty();
        }));
        room->StartGame();
        ASSERT_TRUE(RunUntil([] { return ClientState.game.GameRunning == 1; }));
        // The own pieces laid side by side along the rows, three turns of the bots after each.
        const int columns[] = {1, 4, 7, 10, 2, 6, 9, 1, 5, 8};
        int turn = 0;
        for (int piece = 0; piece < ownPieces && ClientState.game.GameRunning; ++piece) {
            ASSERT_TRUE(RunUntil(Settled)) << piece;
            ClientState.game.PieceX = columns[piece % 10];
            QueueEndPiece(true);
            Handled(++turn);
            for (int bot = 0; bot < 3; ++bot) {
                room->BotTurn();
                Handled(++turn);
            }
        }
        ASSERT_TRUE(RunUntil(Settled));
        games.Last()->SendFrame(0x0a, "2");
        ASSERT_TRUE(RunUntil([] { return ClientState.game.AverageLevel == 2; }));
        peers::SendServerText(*games.Last(), 'c', 0, false, true, true, {"Drovak", "gl hf"});
        ASSERT_TRUE(RunUntil([this] { return client->game->ingamepline()->Lines().Count() >= 2; }));
        DrainEvents();
    }
    // Whatever the server sent before has been handled: a marker it sends last has come back.
    void Handled(int turn) {
        games.Last()->SendFrame(0x0a, std::to_string(7000 + turn));
        ASSERT_TRUE(RunUntil([turn] { return ClientState.game.AverageLevel == 7000 + turn; }));
    }
    // The own piece falls at its start, every piece before it acknowledged.
    static bool Settled() {
        return GameTiming.PieceActive.load() == 1 && ClientState.game.QueueBusy == 0 &&
               ClientState.game.PieceWaiting == 0 && PendingHistory.empty();
    }

    // Each dialog as the program shows it, with what it is for.
    void FillDialogs() {
        ThemedClient& c = *client;
        c.query->SetPanel(Tsbquery::kbpanel);
        GameSetList.clear();
        ASSERT_TRUE(LoadGameSets(BuiltInGameSetBlock(), 100));
        c.setup->SetMode(-1, "", "", true, gsmCreate);
        c.setup->showsettingsClick();
        ShowRoomStats();
        OpenStatusList(Packed({{"0", F({"31", "2", "pest", "spam", "0"})},
                               {"1", F({"32", "0", "Ada", "", "600"})},
                               {"2", F({"34", "1", "Bo", "voice", "0"})}}));
        OpenPlayerDetails(Packed({{"online", "1"},
                                  {"nickname", "Ada"},
                                  {"state", "1"},
                                  {"roomid", "1"},
                                  {"gameid", "7"},
                                  {"profile", Packed({{"firstname", "Ada"}, {"city", "Oslo"}})}}));
        OpenPlayerStats(Packed({{"0", Serial({{"title", "Games"},
                                              {"keys", "Won\x01Lost"},
                                              {"0",
                                               "12\x01"
                                               "5"}})},
                                {"1", Serial({{"title", "Specials"},
                                              {"top", "0"},
                                              {"keys", "Nukes\x01Gravity"},
                                              {"0",
                                               "4\x01"
                                               "2"}})}}));
        c.userStats->pages()->setCurrentIndex(2);
        OpenUserDbReply(Packed({{"keys",
                                 "name\x01"
                                 "email"},
                                {"0",
                                 "ada\x01"
                                 "ada@example.org"},
                                {"query", "SELECT name,email FROM users WHERE name LIKE 'a%'"}}));
        NewRegion("Local", 1, 2, 5, "127.0.0.1", 1);
        c.regions->FillRegionList();
        Settings.rules.RoomMotd = "Friday night games: be kind, play fair.";
        Settings.rules.BanList = "spammer@*";
        c.extras->LoadFromSettings();
        c.update->Arrange(false);
        c.update->Notes().AddLine(PK_STYLE "01What is new" PK_STYLE "00");
        c.update->Notes().AddLine(PK_STYLE "14Lobby and rooms in the theme's colours" PK_STYLE
                                           "00");
        for (QWidget* dialog :
             std::initializer_list<QWidget*>{c.signup, c.query, c.pickKey, c.extras, c.update})
            dialog->show();
        c.signup->resize(360, 520);
        c.query->resize(320, 160);
        DrainEvents();
    }

    TempDir dir;
    peers::MasterServerPeer master;
    peers::GameServerPeer games;
    std::unique_ptr<peers::ScriptedRoom> room;
    std::unique_ptr<ThemedClient> client;
    pk::testing::ManualClock heldClock;
};

}  // namespace pk::test
