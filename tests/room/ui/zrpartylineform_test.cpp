// The room window offscreen: the chat edit's keys, the list's rows and clicks, the team button,
// the moderation menu on the row it was opened for, the statistics panel with its widths, font
// and saving, and the configuration keys it keeps.
#include "room/ui/zrpartylineform.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <fstream>

#include "core/ui/zrtxtbox.h"
#include "core/zrgameset.h"
#include "core/zrgamesetlist.h"
#include "core/zrlog.h"
#include "core/zrxsettings.h"
#include "game/zrgame.h"
#include "gamesetup/ui/zrgamesetupform.h"
#include "room/zrgamelink.h"
#include "room/zrroomchat.h"
#include "support/fake_game_io.h"
#include "support/room_fakes.h"
#include "support/temp_dir.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

class PartylineFormTest : public testing::EngineTest {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        EngineTest::SetUp();
        SetRoomHost(&room);
        InitRoomHandlers();
        form = std::make_unique<Tzrpartyline>();
        form->resize(640, 420);
        form->show();
        QApplication::processEvents();
        ClientState.game.GameLinkState = LinkInRoom;
        bob = AddPlayer("bob");
        SeatPlayer(*bob, 3);
        bob->TeamName = "reds";
        watcher = AddPlayer("wendy");
        SeatPlayer(*watcher, 0);
        form->RefreshUserList();
    }
    void TearDown() override {
        form.reset();
        SetRoomHost(nullptr);
        EngineTest::TearDown();
        RecentPrivateNames.clear();
    }
    void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
             const QString& text = {}) {
        QKeyEvent e(QEvent::KeyPress, key, mods, text);
        QApplication::sendEvent(w, &e);
    }
    QPoint RowPoint(int row, int x) {
        const QRect r = form->userlist()->visualRect(form->userlist()->model()->index(row, 0));
        return {r.left() + x, r.center().y()};
    }

    test::RecordingRoomHost room;
    std::unique_ptr<Tzrpartyline> form;
    tclient* bob = nullptr;
    tclient* watcher = nullptr;
};

TEST_F(PartylineFormTest, ChatEditKeys) {
    QLineEdit* edit = form->chatedit();
    EXPECT_EQ(edit->maxLength(), 400);
    // The edit fills its panel at the bottom of the left-hand area, whatever the window's size.
    form->resize(500, 300);
    ASSERT_NE(form->findChild<QWidget*>("Panel1"), nullptr);
    EXPECT_EQ(edit->geometry(), edit->parentWidget()->rect());
    EXPECT_EQ(edit->parentWidget()->objectName(), "ebpanel");
    EXPECT_EQ(edit->mapTo(form.get(), QPoint(0, edit->height())).y(), 300 - 3);
    edit->setText("hi ");
    edit->setCursorPosition(3);
    Key(edit, Qt::Key_K, Qt::ControlModifier, QString(QChar(0x0b)));
    EXPECT_EQ(edit->text(), QString("hi ") + QChar(0x05));
    // Control bytes do not pass the text check: the line stays and nothing goes out.
    Key(edit, Qt::Key_Return);
    EXPECT_EQ(edit->text(), QString("hi ") + QChar(0x05));
    EXPECT_TRUE(sender.sent.empty());
    edit->setText("hello room");
    Key(edit, Qt::Key_Return);
    EXPECT_TRUE(edit->text().isEmpty());
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0].first, 0x14);
    EXPECT_EQ(sender.sent[0].second, "\x80\x1e\x02hello room");
    // Completion to the last private sender.
    RecentPrivateNames = {"carol"};
    edit->setText("hey");
    Key(edit, Qt::Key_Tab);
    EXPECT_EQ(edit->text().toStdString(), CompletePrivateNick("hey", {"carol"}));
}

TEST_F(PartylineFormTest, ChatLinesAndRows) {
    Settings.options.chatts = 0;
    PartylineAddLine(
        "\x05"
        "12line");
    ASSERT_EQ(form->chatbox()->Lines().Count(), 1u);
    EXPECT_EQ(form->chatbox()->Lines().Line(0).plain, "line");
    ASSERT_EQ(form->userlist()->count(), 8);
    EXPECT_EQ(form->userlist()->item(6)->text(), "!spectators");
    EXPECT_EQ(form->userlist()->item(0)->text(), "1");
}

TEST_F(PartylineFormTest, ClickingTheOwnRow) {
    Settings.rules.startvote = 1;
    Settings.rules.allowmove = 1;
    form->RefreshUserList();
    (void)form->RowImage(0, false, false);  // draws the move button, measuring it
    form->userlistMouseDown(RowPoint(0, 20), Qt::LeftButton);
    EXPECT_TRUE(room.Called("ExecuteCommand toggleready"));
    room.calls.clear();
    form->userlistMouseDown(RowPoint(0, 20), Qt::RightButton);
    EXPECT_FALSE(room.Called("ExecuteCommand toggleready"));
    const int w = form->userlist()->viewport()->width();
    form->userlistMouseDown(RowPoint(0, w - 3), Qt::LeftButton);
    EXPECT_TRUE(room.Called("ExecuteCommand move"));
    room.calls.clear();
    // Another player's row never moves or toggles.
    form->userlistMouseDown(RowPoint(2, w - 3), Qt::LeftButton);
    form->userlistMouseDown(RowPoint(2, 20), Qt::LeftButton);
    EXPECT_TRUE(room.calls.empty());
    // Start vote off: the mark's place does nothing.
    Settings.rules.startvote = 0;
    form->userlistMouseDown(RowPoint(0, 20), Qt::LeftButton);
    EXPECT_FALSE(room.Called("ExecuteCommand toggleready"));
}

TEST_F(PartylineFormTest, TeamButton) {
    form->updateteam()->setEnabled(true);
    form->teamname()->setText("blues");
    form->updateteamClick();
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], (std::pair<uint8_t, std::string>{0x0e, "blues"}));
    EXPECT_EQ(own->TeamName, "blues");
    form->updateteamClick();  // unchanged: nothing
    EXPECT_EQ(sender.sent.size(), 1u);
    form->teamname()->setText(QString(QChar(0x01)));
    form->updateteamClick();
    EXPECT_EQ(room.dialogs.back(), "Invalid team name!");
    Settings.rules.eteams = 1;
    form->teamname()->setText("greens");
    form->updateteamClick();
    EXPECT_EQ(room.dialogs.back(),
              "Team names are locked down. They cannot be changed by players!");
    // Enter in the edit presses the button; an empty name means no team.
    Settings.rules.eteams = 0;
    form->teamname()->clear();
    Key(form->teamname(), Qt::Key_Return);
    EXPECT_EQ(sender.sent.back(), (std::pair<uint8_t, std::string>{0x0e, ""}));
}

TEST_F(PartylineFormTest, ControlsFollowTheInterfaceStates) {
    RoomControlStates s;
    s.startgameCaption = "Stop game";
    s.startgameEnabled = true;
    s.gscaption = "Modify game settings";
    RoomWindowControls().ApplyControls(s);
    EXPECT_EQ(form->startgame()->text(), "Stop game");
    EXPECT_TRUE(form->startgame()->isEnabled());
    EXPECT_EQ(form->gscaption()->text(), "Modify game settings");
    form->startgameClick();
    form->pausegameClick();
    EXPECT_TRUE(room.Called("ExecuteCommand togglegame"));
    EXPECT_TRUE(room.Called("ExecuteCommand togglepause"));
}

TEST_F(PartylineFormTest, SettingsButtonOpensTheRoomsSetInTheEditorsRoomMode) {
    GameSetList.clear();
    ASSERT_TRUE(LoadGameSets(BuiltInGameSetBlock(), 100));
    Tzrgamesetup editor;
    InstallRoomGameSetEditor();
    TGameSet set;
    set.SetValue("maxp", "4");
    GameLink.GameName = "Friday";
    ClientState.game.CurrentGameSetBlob = set.SaveToCompressed();
    const auto maxPlayers = [&] {
        return qobject_cast<QLineEdit*>(editor.Control("gsmaxplayers"))->text();
    };

    // An operator outside a game edits the room's set.
    ClientState.game.RoomOperators = "me";
    ClientState.game.GameRunning = 0;
    form->changesettings()->click();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(editor.Model().Mode(), gsmRoomSet);
    EXPECT_TRUE(editor.presetlist()->currentText().startsWith("[CURRENT GAME SETTINGS] Friday"));
    EXPECT_EQ(maxPlayers(), "4");
    EXPECT_TRUE(editor.creategameb()->isEnabled());
    editor.CancelClick();

    // During a game, or without the rights, the set is only shown.
    ClientState.game.GameRunning = 1;
    form->changesettings()->click();
    EXPECT_EQ(editor.Model().Mode(), gsmRoomSet);
    EXPECT_FALSE(editor.creategameb()->isEnabled());
    editor.CancelClick();
    ClientState.game.GameRunning = 0;
    ClientState.game.RoomOperators = "bob";
    form->changesettings()->click();
    EXPECT_EQ(maxPlayers(), "4");
    EXPECT_FALSE(editor.creategameb()->isEnabled());
    editor.CancelClick();

    SetRoomGameSetEditor({});
    GameLink.GameName.clear();
    GameSetList.clear();
}

TEST_F(PartylineFormTest, SettingsButtonShowsTheJoinedLobbyGamesRegion) {
    struct Lobby : GameLinkHost {
        JoinedGameInfo joined;
        JoinedGameInfo JoinedGame() override { return joined; }
    } lobby;
    struct Regions : GameSetupHost {
        std::vector<std::int32_t> asked;
        std::string GameRegionText(std::int32_t gameId) override {
            asked.push_back(gameId);
            return "Europe [12ms]";
        }
    } regions;
    SetGameLinkHost(&lobby);
    SetGameSetupHost(&regions);
    Tzrgamesetup editor;
    InstallRoomGameSetEditor();
    ClientState.game.RoomOperators = "bob";

    lobby.joined.known = true;
    lobby.joined.id = 7;
    form->changesettings()->click();
    EXPECT_EQ(regions.asked, std::vector<std::int32_t>{7});
    EXPECT_EQ(editor.regiontext()->text(), "Europe [12ms]");
    editor.CancelClick();
    // A game joined straight on its server has no region.
    lobby.joined = {};
    form->changesettings()->click();
    EXPECT_EQ(regions.asked.size(), 1u);
    EXPECT_EQ(editor.regiontext()->text(), "(Private Game)");
    editor.CancelClick();

    SetRoomGameSetEditor({});
    SetGameSetupHost(nullptr);
    SetGameLinkHost(nullptr);
}

TEST_F(PartylineFormTest, MenuActsOnTheRowItWasOpenedFor) {
    ClientState.game.RoomOperators = "me";
    form->userlist()->setCurrentRow(0);
    // The header and open slots show no menu.
    EXPECT_FALSE(form->PrepareMenuForRow(6));
    EXPECT_FALSE(form->PrepareMenuForRow(1));
    ASSERT_TRUE(form->PrepareMenuForRow(2));  // bob in slot 3
    EXPECT_EQ(form->userlist()->currentRow(), 2);
    auto* toslot3 = form->userpopupmenu()->findChild<QMenu*>("Moveuserto1");
    ASSERT_NE(toslot3, nullptr);
    form->kickwomsgClick();
    form->MovePlayerClick(0);
    form->toplayerlist1Click();
    form->SetKickPrompt([](std::string& text) {
        text = "";
        return true;
    });
    form->kickwmsgClick();
    form->SetKickPrompt([](std::string& text) {
        text = "bad\x02";
        return true;
    });
    form->andban1Click();
    EXPECT_EQ(room.dialogs.back(), "Invalid kick message!");
    form->SetKickPrompt([](std::string& text) {
        text = "flood";
        return true;
    });
    form->andban1Click();
    using Sent = std::vector<std::pair<uint8_t, std::string>>;
    EXPECT_EQ(sender.sent, (Sent{{0x1e, "bob"},
                                 {0x1f,
                                  "bob\x02"
                                  "0"},
                                 {0x1f,
                                  "bob\x02"
                                  "2"},
                                 {0x1e, "bob\x02"},
                                 {0x1e,
                                  "bob\x02"
                                  "flood"},
                                 {0x11, "bob flood\r\n"}}));
    // Without the own rights the kick and move entries are hidden.
    ClientState.game.RoomOperators = "bob";
    ASSERT_TRUE(form->PrepareMenuForRow(7));
    EXPECT_FALSE(form->userpopupmenu()->findChild<QMenu*>("kicksub")->menuAction()->isVisible());
    room.lobbyUp = true;
    form->PrepareMenuForRow(7);
    form->whoismenuClick();
    EXPECT_TRUE(room.Called("RequestPlayerDetails wendy"));
}

// The message comes from the query dialog's kick and ban panel, which the lobby installs; the
// room window never falls back to a plain input box of its own.
TEST_F(PartylineFormTest, WithoutTheLobbysPromptAKickAsksNothingAndSendsNothing) {
    ClientState.game.RoomOperators = "me";
    ASSERT_TRUE(form->PrepareMenuForRow(2));  // bob in slot 3
    form->SetKickPrompt({});
    int boxes = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            ++boxes;
            modal->close();
        }
    });
    closer.start(10);
    form->kickwmsgClick();
    form->andban1Click();
    closer.stop();
    EXPECT_EQ(boxes, 0);
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_NE(ClientLog().find("No kick message prompt"), std::string::npos);
}

TEST_F(PartylineFormTest, StatisticsPanelShowsWidthsAndSaves) {
    EXPECT_FALSE(form->StatsShown());
    TXSettings record;
    record.SetInt("gametime", 125);
    record.SetValue("winner", "bob");
    record.SetValue("keys", "Name\x01Lines");
    record.SetValue("1",
                    "me\x01"
                    "4");
    record.SetValue("3", "bob");
    record.SetValue("colwidths",
                    "90\x01"
                    "40");
    ClientState.game.GamesPlayed = 1;
    ClientState.game.GameEventLog = {"[10:00:00] Join: bob"};
    ASSERT_TRUE(CallRoomHandler(0x02, record.SaveToCompressed()));
    EXPECT_TRUE(form->StatsShown());
    EXPECT_EQ(form->statscaption()->text(), "Hide stats");
    EXPECT_EQ(form->gamestats()->columnCount(), 2);
    EXPECT_EQ(form->gamestats()->rowCount(), 7);
    EXPECT_EQ(form->gamestats()->item(0, 0)->text(), "Name");
    EXPECT_EQ(form->gamestats()->item(3, 0)->text(), "bob");
    EXPECT_EQ(form->gamestats()->columnWidth(0), 90);
    RoomWindowConfig config;
    form->GetConfig(config);
    EXPECT_EQ(config.gstatsw,
              "90\x01"
              "40");
    EXPECT_EQ(config.gstatsexpand, 1);
    // The player drags the second column's edge in the header row; the widths are remembered
    // at the release.
    QTableWidget* grid = form->gamestats();
    const int edge = grid->columnViewportPosition(1) + grid->columnWidth(1);
    const int y = grid->rowViewportPosition(0) + 2;
    const auto mouse = [&](QEvent::Type type, int x, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(x, y), grid->viewport()->mapToGlobal(QPointF(x, y)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
        QApplication::sendEvent(grid->viewport(), &e);
    };
    mouse(QEvent::MouseButtonPress, edge - 1, Qt::LeftButton);
    mouse(QEvent::MouseMove, edge + 29, Qt::LeftButton);
    form->GetConfig(config);
    EXPECT_EQ(config.gstatsw,
              "90\x01"
              "40");
    mouse(QEvent::MouseButtonRelease, edge + 29, Qt::NoButton);
    EXPECT_EQ(grid->columnWidth(1), 70);
    form->GetConfig(config);
    EXPECT_EQ(config.gstatsw,
              "90\x01"
              "70");
    // A press inside a cell sizes nothing.
    mouse(QEvent::MouseButtonPress, grid->columnViewportPosition(1) + 10, Qt::LeftButton);
    mouse(QEvent::MouseMove, grid->columnViewportPosition(1) + 40, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, grid->columnViewportPosition(1) + 40, Qt::NoButton);
    EXPECT_EQ(grid->columnWidth(1), 70);

    test::TempDir dir;
    const std::string file = dir.File("games.log");
    {
        std::ofstream out(file, std::ios::binary);
        out << "before\r\n";
    }
    form->SetSavePrompt([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "savedialog");
        EXPECT_EQ(dialog.windowTitle(), "Save/Append log to file...");
        EXPECT_EQ(dialog.defaultSuffix(), "log");
        EXPECT_EQ(dialog.nameFilters(), QStringList({"Log files (*.log)", "All files (*.*)"}));
        return file;
    });
    form->statssavelogClick();
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text.substr(0, 8), "before\r\n");
    EXPECT_NE(text.find("Game winner:\tbob\r\n"), std::string::npos);
    EXPECT_NE(text.find("bob                 \r\n"), std::string::npos);
    EXPECT_NE(text.find("[10:00:00] Join: bob\r\n"), std::string::npos);
    form->SetSavePrompt([&](QFileDialog&) { return dir.File("missing/x.log"); });
    form->statssavelogClick();
    EXPECT_EQ(room.dialogs.back(), "Unable to save to '" + dir.File("missing/x.log") + "'!");

    // Hiding keeps the height; statistics without a game leave the panel as it is.
    form->showstatsClick();
    EXPECT_FALSE(form->StatsShown());
    EXPECT_EQ(form->statscaption()->text(), "Show stats");
    TXSettings none;
    none.SetValue("date", "x");
    CallRoomHandler(0x02, none.SaveToCompressed());
    EXPECT_FALSE(form->StatsShown());
}

TEST_F(PartylineFormTest, FontsAndConfiguration) {
    RoomWindowConfig c;
    c.gstatsheight = 150;
    c.gstatsexpand = 1;
    c.gstatsw = "33";
    c.fgamechat.name = "Liberation Serif";
    c.fgamechat.size = 11;
    c.chatFontSet = true;
    form->SetConfig(c);
    EXPECT_TRUE(form->StatsShown());
    EXPECT_EQ(form->chatbox()->font().pointSize(), 11);
    form->SetFontPicker([](QFont& f) {
        f.setPointSize(13);
        return true;
    });
    auto* change = form->statschangefontpopup()->findChild<QAction*>("statschangefont");
    ASSERT_NE(change, nullptr);
    change->trigger();
    RoomWindowConfig out;
    form->GetConfig(out);
    EXPECT_EQ(out.fgamestats.size, 13);
    EXPECT_TRUE(out.statsFontSet);
    EXPECT_EQ(out.gstatsw, "33");
    form->fontchangepopup()->findChild<QAction*>("chatdefaultfont")->trigger();
    form->GetConfig(out);
    EXPECT_FALSE(out.chatFontSet);
}

}  // namespace
}  // namespace pk
