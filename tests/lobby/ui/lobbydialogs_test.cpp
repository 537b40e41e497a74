// The lobby's dialogs offscreen: what each shows from the model, what its buttons send, and
// a golden picture of each.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <memory>

#include "gfx/qtsurface.h"
#include "lobby/lobby_fixture.h"
#include "lobby/records_fixture.h"
#include "lobby/ui/zrdbmanage.h"
#include "lobby/ui/zrdialogs.h"
#include "lobby/ui/zrpsl.h"
#include "lobby/ui/zrregionform.h"
#include "lobby/ui/zrroomstats.h"
#include "lobby/ui/zrtablesbox.h"
#include "lobby/ui/zruserstats.h"
#include "shell/zrconfig.h"
#include "support/golden.h"
#include "support/widgetapp.h"

namespace pk::test {
namespace {

class LobbyDialogsTest : public LobbyTest {
protected:
    void SetUp() override {
        EnsureWidgetApp();
        LobbyTest::SetUp();
        Config = TConfig{};
        mainWindow = std::make_unique<QWidget>();
        SetDialogsMainWindow(mainWindow.get());
    }
    void TearDown() override {
        SetDialogsMainWindow(nullptr);
        mainWindow.reset();
        Config = TConfig{};
        LobbyTest::TearDown();
    }
    static QStringList Row(const QTreeWidget* list, int row) {
        QStringList cells;
        const QTreeWidgetItem* item = list->topLevelItem(row);
        for (int c = 0; item && c < item->columnCount(); ++c) {
            cells << item->text(c);
        }
        return cells;
    }
    static QStringList Column0(const QTreeWidget* list) {
        QStringList cells;
        for (int r = 0; r < list->topLevelItemCount(); ++r) {
            cells << list->topLevelItem(r)->text(0);
        }
        return cells;
    }
    // A dialog's picture, allowing for glyphs a pixel apart with other font builds.
    static ::testing::AssertionResult Looks(QWidget& dialog, const std::string& name) {
        return MatchesGoldenWithin(SurfaceFromQImage(dialog.grab().toImage()),
                                   "lobby/ui/golden/" + name + ".png", 400);
    }
    std::unique_ptr<QWidget> mainWindow;
};

std::string StatusEntry(int id, int kind, const std::string& nick, const std::string& message,
                        const std::string& seconds) {
    return F({std::to_string(id), std::to_string(kind), nick, message, seconds});
}

// ---- Room details --------------------------------------------------------------------------

TEST_F(LobbyDialogsTest, RoomDetailsEditTheRoomAndEveryCloseEnablesTheMainWindow) {
    Tsbroomstats dialog;
    EXPECT_EQ(dialog.windowTitle(), "Room Details");
    EXPECT_FALSE(dialog.OpenForCurrentRoom());  // outside a room nothing opens
    Connected(1);
    LobbyModel.currentRoom->topic = "Welcome";
    LobbyModel.currentRoom->moderated = 0;
    ASSERT_TRUE(dialog.OpenForCurrentRoom());
    EXPECT_FALSE(mainWindow->isEnabled());
    EXPECT_EQ(dialog.roomtopic()->text(), "Welcome");
    EXPECT_FALSE(dialog.roomkeycb()->isChecked());
    EXPECT_FALSE(dialog.roomkey()->isEnabled());
    EXPECT_TRUE(dialog.apply()->isEnabled());
    EXPECT_TRUE(Looks(dialog, "roomstats"));

    dialog.roomtopic()->setText("New topic");
    dialog.roomkeycb()->click();
    EXPECT_TRUE(dialog.roomkey()->isEnabled());
    dialog.roomkey()->setText("two words");
    dialog.roommod()->setChecked(true);
    dialog.apply()->click();
    EXPECT_TRUE(mainWindow->isEnabled());
    EXPECT_FALSE(dialog.isVisible());
    // code 13: topic 0x02 key 0x02 moderated
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{13,
                                                   "New topic\x02two words\x02"
                                                   "1"}}));

    // Cancel, Escape and the close box send nothing and give the main window back.
    ASSERT_TRUE(dialog.OpenForCurrentRoom());
    dialog.cancel()->click();
    EXPECT_TRUE(mainWindow->isEnabled());
    ASSERT_TRUE(dialog.OpenForCurrentRoom());
    dialog.reject();
    EXPECT_TRUE(mainWindow->isEnabled());
    ASSERT_TRUE(dialog.OpenForCurrentRoom());
    dialog.close();
    EXPECT_TRUE(mainWindow->isEnabled());
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(LobbyDialogsTest, RoomDetailsSendNothingForAnInvalidKeyOrWithoutRights) {
    Tsbroomstats dialog;
    Connected(1);
    ASSERT_TRUE(dialog.OpenForCurrentRoom());
    dialog.roomkeycb()->click();
    dialog.roomkey()->setText("");  // a ticked key must be valid text
    dialog.applyClick();
    EXPECT_TRUE(mainWindow->isEnabled());
    EXPECT_TRUE(TakeSent().empty());
    // Opening again while open closes the first one (as cancelled) before.
    ASSERT_TRUE(dialog.OpenForCurrentRoom());
    ShowRoomStats();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(mainWindow->isEnabled());
    dialog.cancelClick();
    EXPECT_TRUE(mainWindow->isEnabled());
    OwnUser()->privilege = privVoice;
    ASSERT_TRUE(dialog.OpenForCurrentRoom());
    EXPECT_FALSE(dialog.apply()->isEnabled());
    dialog.close();
    EXPECT_TRUE(TakeSent().empty());
}

// ---- Permanent status list -----------------------------------------------------------------

TEST_F(LobbyDialogsTest, TheStatusListShowsSortsAndRemovesEntries) {
    Tzrpsl dialog;
    EXPECT_EQ(dialog.windowTitle(), "Permanent Status List");
    Connected(1);
    const std::string payload = Packed({{"0", StatusEntry(31, 2, "pest", "spam", "0")},
                                        {"1", StatusEntry(32, 0, "ada", "", "600")},
                                        {"2", StatusEntry(33, 7, "odd", "kind seven", "")},
                                        {"3", StatusEntry(34, 1, "bea", "voice", "x")}});
    host.calls.clear();
    TLobbyDialogHost dialogs;
    dialogs.ShowStatusList(payload);
    ASSERT_TRUE(dialog.isVisible());
    const QTreeWidget* list = dialog.statuslist();
    EXPECT_EQ(list->headerItem()->text(3), "Remove in");
    ASSERT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(Column0(list), (QStringList{"", "Ban", "Operator", "Voiced"}));
    EXPECT_EQ(Row(list, 2), (QStringList{"Operator", "ada", "", "600sec"}));
    EXPECT_EQ(Row(list, 1), (QStringList{"Ban", "pest", "spam", ""}));
    EXPECT_TRUE(Looks(dialog, "statuslist"));

    dialog.statuslist()->header()->sectionClicked(1);  // by nickname
    EXPECT_EQ(Column0(list), (QStringList{"Operator", "Voiced", "", "Ban"}));
    dialog.statuslist()->header()->sectionClicked(1);  // reversed
    EXPECT_EQ(Column0(list), (QStringList{"Ban", "", "Voiced", "Operator"}));

    // Removing the last row selects the first; 14 with its id, then 16 for the list again.
    dialog.statuslist()->setCurrentItem(dialog.statuslist()->topLevelItem(3));
    dialog.removeuser()->click();
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{14, "32"}, {16, ""}}));
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));

    dialog.ok()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(list->topLevelItemCount(), 0);
    dialog.removeuserClick();  // nothing selected: nothing sent
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(LobbyDialogsTest, OnlyModeratorsAskForTheStatusList) {
    RequestStatusList();  // not connected
    Connected(2);
    RequestStatusList();
    EXPECT_TRUE(TakeSent().empty());
    OwnUser()->privilege = privOperator;
    RequestStatusList();
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{16, ""}}));
}

// ---- Location picker -----------------------------------------------------------------------

TEST_F(LobbyDialogsTest, TheLocationPickerSortsUnderTheLeastBusyRowAndHandsOverById) {
    Settings.lobby.pingtries = 2;
    auto add = [](const std::string& name, std::int32_t id, int games, int answers, int time) {
        tsbregion& r = NewRegion(name, id, games, id * 3, "127.0.0.1", 1);
        r.answers = answers;
        r.time = time;
    };
    add("Europe", 1, 4, 2, 40);
    add("America", 2, 9, 2, 120);
    add("Asia", 3, 1, 0, 0);
    Tzrregionlist dialog;
    EXPECT_EQ(dialog.windowTitle(), "Select Game Location");
    std::vector<std::int32_t> chosen;
    dialog.onRegionChosen = [&](std::int32_t id) { chosen.push_back(id); };
    TLobbyDialogHost dialogs;
    EXPECT_FALSE(dialogs.LocationDialogVisible());
    dialog.FillRegionList();
    EXPECT_TRUE(dialogs.LocationDialogVisible());
    const QTreeWidget* list = dialog.regionlist();
    EXPECT_EQ(Column0(list), (QStringList{"(Least busy server)", "America", "Asia", "Europe"}));
    EXPECT_EQ(Row(list, 1), (QStringList{"America", "9", "6", "120ms"}));
    EXPECT_EQ(Row(list, 2), (QStringList{"Asia", "1", "9", "???ms"}));
    EXPECT_EQ(list->currentItem(), list->topLevelItem(0));
    EXPECT_TRUE(Looks(dialog, "regionlist"));

    dialog.regionlist()->header()->sectionClicked(3);
    EXPECT_EQ(Column0(list), (QStringList{"(Least busy server)", "Europe", "America", "Asia"}));
    dialog.regionlist()->header()->sectionClicked(3);
    EXPECT_EQ(Column0(list), (QStringList{"(Least busy server)", "Asia", "America", "Europe"}));

    dialog.SelectRow(2);  // America
    // A refill (a region measured) keeps the selected caption.
    dialogs.FillRegionList();
    EXPECT_EQ(list->currentItem()->text(0), "America");
    dialog.serverok()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(chosen, (std::vector<std::int32_t>{2}));

    // "(Least busy server)" carries no region: 0, the server picks.
    dialog.FillRegionList();
    dialog.SelectRow(0);
    dialog.close();
    EXPECT_EQ(chosen, (std::vector<std::int32_t>{2, 0}));
}

// ---- User-database console -----------------------------------------------------------------

TEST_F(LobbyDialogsTest, TheConsoleShowsRepliesAsTabsNewestFirst) {
    Tdbmanage dialog;
    EXPECT_EQ(dialog.windowTitle(), "User Database Management");
    EXPECT_EQ(dialog.querytabs()->count(), 0);
    EXPECT_TRUE(dialog.error()->isHidden());
    TLobbyDialogHost dialogs;
    dialogs.ShowUserDbReply(
        Packed({{"keys",
                 "name\x01"
                 "email"},
                {"0",
                 "ada\x01"
                 "ada@x"},
                {"1",
                 "bob\x01"
                 "bob@x"},
                {"query", "SELECT name,email FROM users WHERE name LIKE '%'"}}));
    ASSERT_TRUE(dialog.isVisible());
    ASSERT_EQ(dialog.querytabs()->count(), 1);
    EXPECT_EQ(dialog.querytabs()->tabText(0), "1. SELECT name,email FROM users W...");
    const QTableWidget* grid = dialog.grid();
    ASSERT_EQ(grid->columnCount(), 2);
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "email");
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(1, 0)->text(), "bob");
    EXPECT_EQ(dialog.forquery()->text(),
              "For query: SELECT name,email FROM users WHERE name LIKE '%'");

    dialogs.ShowUserDbReply(Packed({{"query", "INSERT INTO users VALUES (1)"},
                                    {"affected", "1"},
                                    {"lastid", "77"},
                                    {"errno", "0"}}));
    ASSERT_EQ(dialog.querytabs()->count(), 2);
    EXPECT_EQ(dialog.querytabs()->currentIndex(), 0);
    EXPECT_EQ(dialog.querytabs()->tabText(0), "2. INSERT INTO users VALUES (1)");
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "RowsAffected");
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "IDAdded");
    EXPECT_EQ(grid->item(0, 1)->text(), "77");
    dialogs.ShowUserDbReply(
        Packed({{"query", "DELETE FROM x"}, {"errno", "1064"}, {"err", "syntax"}}));
    EXPECT_FALSE(dialog.error()->isHidden());
    EXPECT_EQ(dialog.error()->text(), "Error: (1064) syntax");
    EXPECT_TRUE(Looks(dialog, "dbmanage"));

    // Another tab shows its own reply; a right click below the tab row does nothing, on it
    // removes the selected tab.
    dialog.querytabs()->setCurrentIndex(2);
    EXPECT_EQ(grid->item(0, 0)->text(), "ada");
    dialog.querytabsMouseDown(Qt::RightButton, 30);
    EXPECT_EQ(dialog.querytabs()->count(), 3);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(dialog.querytabs(), &press);
    ASSERT_EQ(dialog.querytabs()->count(), 2);
    EXPECT_EQ(dialog.querytabs()->currentIndex(), 1);
    EXPECT_EQ(dialog.querytabs()->tabText(1), "2. INSERT INTO users VALUES (1)");
    dialog.querytabsMouseDown(Qt::RightButton, 0);
    dialog.querytabsMouseDown(Qt::RightButton, 0);
    EXPECT_EQ(dialog.querytabs()->count(), 0);
    EXPECT_EQ(grid->columnCount(), 0);
    // The numbers keep counting.
    dialogs.ShowUserDbReply(Packed({{"query", "SELECT 1"}}));
    EXPECT_EQ(dialog.querytabs()->tabText(0), "4. SELECT 1");
}

TEST_F(LobbyDialogsTest, TheConsoleSendsTypedAndBuiltStatementsOnlyAsItShould) {
    Tdbmanage dialog;
    dialog.show();
    dialog.statement()->setEditText("SELECT 1");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dialog.statement()->lineEdit(), &enter);
    EXPECT_EQ(dialog.statement()->currentText(), "SELECT 1");  // not connected: kept
    Connected(0);
    QApplication::sendEvent(dialog.statement()->lineEdit(), &enter);
    EXPECT_EQ(dialog.statement()->currentText(), "");
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{18, "userdb\x02SELECT 1"}}));
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(dialog.statement()->lineEdit(), &up);
    EXPECT_EQ(dialog.statement()->currentText(), "SELECT 1");
    // The line takes its panel's width less 6, whichever panel was resized.
    dialog.resize(700, 480);
    QApplication::processEvents();
    const QWidget* panel = dialog.statement()->parentWidget();
    EXPECT_EQ(panel->objectName(), "Panel4");
    EXPECT_EQ(dialog.statement()->width(), panel->width() - 6);

    dialog.Edit("lucol")->setText("name,email");
    dialog.Edit("lukey")->setText("email");
    dialog.Edit("luvalue")->setText("x' OR '1'='1\\");
    dialog.lushowClick();
    dialog.Edit("cfkey")->setText("rank");
    dialog.Edit("cfname")->setText("o'neil");
    dialog.Edit("cfvalue")->setText("9");
    dialog.cfupdateClick();
    dialog.Edit("duname")->setText("eve");
    dialog.dudeleteClick();
    dialog.Edit("cbuname")->setText("bob");
    dialog.Edit("cbupass")->setText("pw");
    dialog.Edit("cbuemail")->setText("b@x");
    dialog.cbucreateClick();
    dialog.Edit("cpuname")->setText("bob");
    dialog.Edit("cpupass")->setText("new");
    dialog.cpupdateClick();
    EXPECT_EQ(TakeSent(),
              (std::vector<SentFrame>{
                  {18,
                   "userdb\x02SELECT name,email FROM users WHERE email LIKE "
                   "'x\\' OR \\'1\\'=\\'1\\\\' LIMIT 50"},
                  {18, "userdb\x02UPDATE users SET rank='9' WHERE name='o\\'neil' LIMIT 1"},
                  {18,
                   "userdb\x02"
                   "DELETE FROM users WHERE name='eve' LIMIT 1"},
                  {18, "userdb\x02newuser bob pw b@x"},
                  {18, "userdb\x02setpass bob new"},
              }));
}

// ---- Player details ------------------------------------------------------------------------

class PlayerDetailsDialogTest : public LobbyDialogsTest {
protected:
    void SetUp() override {
        LobbyDialogsTest::SetUp();
        Connected();
        NewRoom(1).name = "Lobby";
        tSbRoom& vault = NewRoom(2);
        vault.name = "Vault";
        vault.flag = 1;
        tSbGame& game = NewGame(7);
        game.name = "Classic";
        game.creator = "Ada";
        ClientState.lobby.RegionsStale = 0;
        TakeSent();
    }
    static std::string Table(const Pairs& pairs) { return Serial(pairs); }
};

TEST_F(PlayerDetailsDialogTest, AnotherPlayersDetailsAreShownReadOnlyWithTheirJoins) {
    Tsbuserstats dialog;
    TLobbyDialogHost dialogs;
    dialogs.ShowPlayerDetails(
        Packed({{"online", "1"},
                {"nickname", "Ada"},
                {"state", "2"},
                {"roomid", "2"},
                {"gameid", "7"},
                {"awaymsg", "lunch"},
                {"profile", Packed({{"firstname", "Ada"}, {"other", "line one\nline two"}})}}));
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), "Player Details - Ada");
    EXPECT_EQ(dialog.awaylabel()->text(), "Player is away");
    EXPECT_EQ(dialog.awaymemo()->toPlainText(), "lunch");
    EXPECT_TRUE(dialog.awaymemo()->isReadOnly());
    EXPECT_EQ(dialog.roomlabel()->text(), "In Vault");
    EXPECT_FALSE(dialog.joinroom()->isHidden());
    EXPECT_EQ(dialog.gamelabel()->text(), "In Classic");
    EXPECT_EQ(dialog.gamecreator()->text(), "Created by Ada");
    EXPECT_FALSE(dialog.joingame()->isHidden());
    EXPECT_TRUE(dialog.apply()->isHidden());
    auto* first = qobject_cast<QLineEdit*>(dialog.ProfileField("firstname"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->objectName(), "pfirstname");  // the key is the name without its "p"
    EXPECT_EQ(first->text(), "Ada");
    EXPECT_TRUE(first->isReadOnly());
    auto* other = qobject_cast<QPlainTextEdit*>(dialog.ProfileField("other"));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->toPlainText(), "line one\nline two");
    EXPECT_TRUE(Looks(dialog, "userstats"));

    // The keyed room asks for its key (none here: cancelled), the game is joined by id.
    dialog.joinroom()->click();
    EXPECT_TRUE(TakeSent().empty());
    dialog.joingame()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{7, "7"}}));  // code 7: join game 7
    EXPECT_EQ(ClientState.lobby.ShownGameId, 0);
    EXPECT_EQ(ClientState.lobby.DetailsPlayer, "");
}

TEST_F(PlayerDetailsDialogTest, AStateWithoutATextLeavesTheAwayLabel) {
    Tsbuserstats dialog;
    dialog.ShowPlayerDetails(Packed({{"online", "1"}, {"nickname", "Ada"}, {"state", "2"}}));
    ASSERT_EQ(dialog.awaylabel()->text(), "Player is away");
    for (const char* state : {"5", "-1"}) {
        dialog.ShowPlayerDetails(Packed({{"online", "1"}, {"nickname", "Ada"}, {"state", state}}));
        EXPECT_EQ(dialog.awaylabel()->text(), "Player is away") << state;
    }
    // Offline clears it.
    dialog.ShowPlayerDetails(Packed({{"nickname", "Ada"}, {"state", "2"}}));
    EXPECT_EQ(dialog.awaylabel()->text(), "");
}

TEST_F(PlayerDetailsDialogTest, AGameGoneWhileTheDialogWasOpenIsNotJoined) {
    Tsbuserstats dialog;
    dialog.ShowPlayerDetails(Packed({{"online", "1"}, {"nickname", "Ada"}, {"gameid", "7"}}));
    DisposeGame(7);
    dialog.joingameClick();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(PlayerDetailsDialogTest, TheOwnDetailsAreEditedAndSentWhenApplied) {
    Tsbuserstats dialog;
    ClientState.lobby.AwayMessage = "away";
    ShowOwnStats();
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.Own());
    EXPECT_EQ(dialog.windowTitle(), "Player Details - me");
    EXPECT_FALSE(dialog.apply()->isHidden());
    EXPECT_FALSE(dialog.awaymemo()->isReadOnly());
    EXPECT_EQ(dialog.awaymemo()->toPlainText(), "away");
    EXPECT_TRUE(dialog.joinroom()->isHidden());
    EXPECT_EQ(dialog.gamelabel()->text(), "Not in a game");
    // code 26: the own statistics
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{26, "me"}}));

    qobject_cast<QLineEdit*>(dialog.ProfileField("city"))->setText("Oslo");
    dialog.awaymemo()->setPlainText("");  // the away message can be cleared
    dialog.apply()->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(LoadProfile(ClientState.lobby.OwnProfile)[4], "Oslo");
    EXPECT_EQ(ClientState.lobby.AwayMessage, "");
    // code 25: the profile changed (the server asks for it); code 24: the away message
    EXPECT_EQ(TakeSent(), (std::vector<SentFrame>{{25, ""}, {24, ""}}));

    // Cancelled: nothing stored or sent.
    ShowOwnStats();
    TakeSent();
    qobject_cast<QLineEdit*>(dialog.ProfileField("city"))->setText("Rome");
    dialog.cancel()->click();
    EXPECT_EQ(LoadProfile(ClientState.lobby.OwnProfile)[4], "Oslo");
    EXPECT_TRUE(TakeSent().empty());
}

TEST_F(PlayerDetailsDialogTest, StatisticsTablesAreBuiltLaidOutAndCopied) {
    Tsbuserstats dialog;
    // Stored widths of table 2 win over its own; table 1 keeps its "colwidths".
    TXSettings widths;
    widths.SetValue("2",
                    "90\x01"
                    "x\x01"
                    "30");
    Config.pstatsw = widths.SaveToString();
    Config.fpstats.size = 9;
    const std::string tables = Packed({{"0", Table({{"title", "Games"},
                                                    {"keys", "Won\x01Lost"},
                                                    {"0",
                                                     "3\x01"
                                                     "1"},
                                                    {"1",
                                                     "5\x01"
                                                     "2"},
                                                    {"colwidths",
                                                     "50\x01"
                                                     "60"}})},
                                       {"1", Table({{"title", "Specials"},
                                                    {"top", "0"},
                                                    {"keys", "Nukes\x01Gravity\x01Quakes"},
                                                    {"0",
                                                     "4\x01"
                                                     "2\x01"
                                                     "9"},
                                                    {"colwidths",
                                                     "10\x01"
                                                     "10"}})}});
    TLobbyDialogHost dialogs;
    dialogs.ShowPlayerStats(tables);  // opens the dialog first
    ASSERT_TRUE(dialog.isVisible());
    TZRTables* box = dialog.stats();
    TStatGrid* games = box->Grid(1);
    TStatGrid* specials = box->Grid(2);
    ASSERT_NE(games, nullptr);
    ASSERT_NE(specials, nullptr);
    EXPECT_EQ(static_cast<QLabel*>(box->Label(1))->text(), "Games");
    EXPECT_EQ(games->rowCount(), 3);
    EXPECT_EQ(games->columnCount(), 2);
    EXPECT_EQ(games->item(0, 1)->text(), "Lost");
    EXPECT_EQ(games->item(2, 0)->text(), "5");
    EXPECT_EQ(games->columnWidth(0), 50);
    // Headings down the left: three rows, the heading column and one per data line.
    EXPECT_EQ(specials->rowCount(), 3);
    EXPECT_EQ(specials->columnCount(), 2);
    EXPECT_EQ(specials->item(2, 0)->text(), "Quakes");
    EXPECT_EQ(specials->item(2, 1)->text(), "9");
    EXPECT_EQ(specials->columnWidth(0), 90);
    EXPECT_EQ(specials->columnWidth(1), TZRTables::DefaultColumnWidth);
    // Laid out side by side, the grid sized to its cells, the label larger, bold and italic.
    EXPECT_EQ(games->width(), 4 + 51 + 61);
    EXPECT_EQ(games->height(), 4 + 3 * (TZRTables::DefaultRowHeight + 1));
    EXPECT_EQ(box->Label(1)->font().pointSize(), 11);
    EXPECT_TRUE(box->Label(1)->font().bold());
    EXPECT_TRUE(box->Label(1)->font().italic());
    dialog.pages()->setCurrentIndex(2);
    EXPECT_TRUE(Looks(dialog, "userstats_tables"));

    // A right click copies the current cell.
    games->setCurrentCell(2, 1);
    box->TablesMouseUp(games, Qt::RightButton);
    EXPECT_EQ(QApplication::clipboard()->text(), "2");
    // A resized column is kept for the configuration; so is the tables' font.
    games->setColumnWidth(1, 80);
    box->TablesMouseUp(games, Qt::LeftButton);
    EXPECT_EQ(games->width(), 4 + 51 + 81);
    TXSettings stored;
    ASSERT_TRUE(stored.LoadFromString(Config.pstatsw));
    EXPECT_EQ(stored.GetValue("1"),
              "50\x01"
              "80");
    QFont font("Liberation Serif");
    font.setPointSize(12);
    box->SetTablesFont(font);
    EXPECT_EQ(Config.fpstats.size, 12);
    EXPECT_EQ(box->Label(2)->font().pointSize(), 14);
    // Opening the dialog again empties the tables.
    dialog.close();
    dialog.ShowPlayerDetails(Packed({{"nickname", "Bob"}}));
    EXPECT_EQ(box->Grid(1), nullptr);
    EXPECT_EQ(dialog.roomlabel()->text(), "Not connected");
}

TEST_F(PlayerDetailsDialogTest, ThePlaceAndSizeAreKeptInTheConfiguration) {
    Config.userstatsx = 40;
    Config.userstatsy = 50;
    Config.userstatswidth = 600;
    Config.userstatsheight = 700;
    Tsbuserstats dialog;
    dialog.ShowPlayerDetails(Packed({{"nickname", "Bob"}}));
    EXPECT_EQ(dialog.size(), QSize(600, 700));
    dialog.resize(620, 680);
    DrainEvents();
    EXPECT_EQ(Config.userstatswidth, 620);
    EXPECT_EQ(Config.userstatsheight, 680);
    // A stored size out of all bounds is clamped.
    Config.userstatswidth = 1;
    Tsbuserstats second;
    second.ShowPlayerDetails(Packed({{"nickname", "Bob"}}));
    EXPECT_GE(second.width(), 200);
}

}  // namespace
}  // namespace pk::test
