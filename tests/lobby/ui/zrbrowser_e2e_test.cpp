// The lobby window offscreen against the scripted master and game servers on loopback: the
// login fills its lists, chat and slash commands go out through its edit, the user menu edits
// the friends list, and games are joined and created through the game-set editor up to a seat
// in the game room.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include "game/zrfield.h"
#include "gamesetup/ui/zrgamesetupform.h"
#include "gfx/qtsurface.h"
#include "lobby/link_fixture.h"
#include "lobby/ui/zrbrowser.h"
#include "lobby/ui/zrlobbywindowhost.h"
#include "lobby/ui/zrquery.h"
#include "lobby/ui/zrsignupform.h"
#include "lobby/zrlobbyviews.h"
#include "peers/game_server.h"
#include "support/golden.h"
#include "support/widgetapp.h"

namespace pk::test {
namespace {

using peers::GameServerPeer;
using peers::GameServerSession;

class BrowserTest : public LinkTest {
protected:
    class PlayerHost : public GameLinkHost {
    public:
        std::string PlayerName() override { return ClientState.account.AccountName; }
    };

    void SetUp() override {
        EnsureWidgetApp();
        LinkTest::SetUp();
        ASSERT_TRUE(games.Listen());
        FieldWidth = 12;
        FieldHeight = 22;
        InitRoomHandlers();
        BindGameSocket();
        lobbyGameHost.SetInner(&playerHost);
        SetGameLinkHost(&lobbyGameHost);
        GameSetList.clear();
        ASSERT_TRUE(LoadGameSets(BuiltInGameSetBlock(), 100));

        browser = std::make_unique<Tzrbrowser>();
        browser->misctimer()->stop();  // the tests tick it themselves
        setup = std::make_unique<Tzrgamesetup>();
        query = std::make_unique<Tsbquery>();
        signup = std::make_unique<Tzrsignup>();
        windowHost = std::make_unique<TLobbyWindowHost>(browser.get(), setup.get(), query.get(),
                                                        signup.get());
        SetLobbyHost(windowHost.get());
        setupHost = std::make_unique<TLobbyGameSetupHost>(query.get());
        SetGameSetupHost(setupHost.get());
        InstallLobbyWindowHooks(*browser, *query);
        LobbyBoxes().message = [this](const std::string& t) { messages.push_back(t); };
        LobbyBoxes().confirm = [this](const std::string& t) {
            confirms.push_back(t);
            return true;
        };
        browser->SetMenuOpener([this](QMenu&, const QPoint&) { ++menusOpened; });
        browser->resize(960, 634);
        browser->show();

        peers::MasterScript& s = server.script;
        s.rooms = {peers::MasterRoomRecord(1, false, 2, "Lobby"),
                   peers::MasterRoomRecord(2, true, 0, "Quiet")};
        s.users = {peers::MasterUserRecord("Ada", 1, 1), peers::MasterUserRecord("Bo", 3, 2)};
        s.games = {peers::MasterGameRecord(7, true, 6, 2, 1, 0, "Ada", "Classic", "Local", 1),
                   peers::MasterGameRecord(8, false, 4, 1, 0, 1, "Bo", "Brawl", "Local", 1)};
        s.regions = {peers::MasterRegionRecord(1, "Local", 1, 2, "127.0.0.1", games.Port())};
        s.topic = "Welcome to the lobby";
        s.gamePort = games.Port();
        server.OnGameKey = [this](std::uint32_t key) { lobbyKeys.push_back(key); };
        games.OnSession = [this](GameServerSession& session) {
            session.UseLobbyKey = true;
            session.LobbyKey = lobbyKeys.empty() ? 0 : lobbyKeys.back();
        };
    }
    void TearDown() override {
        GameDisconnect();
        SetGameLinkHost(nullptr);
        LobbyBoxes() = {};
        Tsbquery::SetAnswerer({});
        LinkTest::TearDown();
        SetGameSetupHost(nullptr);
        SetLobbyHost(nullptr);
        signup.reset();
        query.reset();
        setup.reset();
        browser.reset();
        GameSetList.clear();
        DrainEvents();
    }

    bool LoggedInWithLists() {
        lobbyPart.LobbyLogin("alice", "secret");
        return Welcomed() && RunUntil([this] {
                   return browser->roomlist()->model()->rowCount() == 2 &&
                          browser->gamelist()->model()->rowCount() == 2 &&
                          FindRoomUser("bo") != nullptr;
               });
    }
    bool Seated() {
        return RunUntil([] { return ClientState.game.GameLinkState == LinkInRoom; });
    }
    std::vector<LobbyFrame> FramesCoded(std::uint8_t code) {
        std::vector<LobbyFrame> out;
        for (const auto& f : Frames()) {
            if (f.code == code) {
                out.push_back(f);
            }
        }
        return out;
    }
    void Type(const std::string& line) {
        browser->chateb()->setText(QString::fromLatin1(line.c_str()));
        browser->chatebKeyPress();
    }
    int UserRow(const std::string& name) {
        QAbstractItemModel* m = browser->userlist()->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            const auto kind =
                static_cast<UserRowKind>(m->index(r, 0).data(UserRowKindRole).toInt());
            if (kind == UserRowKind::RoomUser &&
                m->index(r, 0).data().toString() == QString::fromStdString(name)) {
                return r;
            }
        }
        return -1;
    }
    QString GameCell(int row, int column) {
        return browser->gamelist()->model()->index(row, column).data().toString();
    }

    GameServerPeer games;
    PlayerHost playerHost;
    LobbyGameLinkHost lobbyGameHost;
    TLobbyWindowShellPart lobbyPart;
    std::vector<std::uint32_t> lobbyKeys;
    std::unique_ptr<Tzrbrowser> browser;
    std::unique_ptr<Tzrgamesetup> setup;
    std::unique_ptr<Tsbquery> query;
    std::unique_ptr<Tzrsignup> signup;
    std::unique_ptr<TLobbyWindowHost> windowHost;
    std::unique_ptr<TLobbyGameSetupHost> setupHost;
    std::vector<std::string> messages, confirms;
    int menusOpened = 0;
};

TEST_F(BrowserTest, LoginFillsTheListsAndChatGoesOut) {
    ASSERT_TRUE(LoggedInWithLists());
    EXPECT_EQ(browser->roomname()->text(), "Lobby");
    EXPECT_GE(UserRow("Ada"), 0);
    EXPECT_GE(UserRow("Bo"), 0);

    // Sorting by name: A to Z, then Z to A; the Plrs column starts ascending.
    browser->gamelistColumnClick(0);
    EXPECT_EQ(GameCell(0, 0), "Brawl");
    browser->gamelistColumnClick(0);
    EXPECT_EQ(GameCell(0, 0), "Classic");
    browser->gamelistColumnClick(2);
    EXPECT_EQ(GameCell(0, 0), "Brawl");

    Type("hello all");
    Type("/whois Ada");
    Type("/p Ada psst");
    ASSERT_TRUE(FrameArrives(21));
    ASSERT_TRUE(FrameArrives(18, 2));
    const auto commands = FramesCoded(18);
    EXPECT_EQ(commands[0].payload, F({"\x1e", "hello all"}));
    EXPECT_EQ(commands[1].payload, F({"p", "Ada psst"}));
    EXPECT_EQ(FramesCoded(21)[0].payload, "Ada");
    // The room echoes the chat line into the chat box.
    ASSERT_TRUE(RunUntil([this] {
        for (std::size_t i = 0; i < browser->chatbox()->Lines().Count(); ++i) {
            if (browser->chatbox()->Lines().Line(i).plain.find("hello all") != std::string::npos) {
                return true;
            }
        }
        return false;
    }));
    // The history walks back with Up.
    browser->chatebKeyDown(Qt::Key_Up);
    EXPECT_EQ(browser->chateb()->text(), "/p Ada psst");
    Type("/clear");
    EXPECT_EQ(browser->chatbox()->Lines().Count(), 0u);
}

TEST_F(BrowserTest, UserMenuEditsFriendsAndStatusButtonsSend) {
    ASSERT_TRUE(LoggedInWithLists());
    const int ada = UserRow("Ada");
    ASSERT_GE(ada, 0);
    QListView* list = browser->userlist();
    list->setCurrentIndex(list->model()->index(ada, 0));
    list->selectionModel()->select(list->model()->index(ada, 0), QItemSelectionModel::Select);
    browser->userlistMouseDown(Qt::RightButton, QPoint(40, 5), QPoint());
    EXPECT_EQ(menusOpened, 1);
    EXPECT_TRUE(browser->MenuItem("addnewfriend")->isEnabled());
    EXPECT_FALSE(browser->MenuItem("setoperator")->isEnabled());  // no rights
    browser->MenuItem("addnewfriend")->trigger();
    ASSERT_TRUE(FrameArrives(22, 2));  // the first went out with the welcome
    EXPECT_EQ(FramesCoded(22).back().payload, "Ada");
    EXPECT_NE(FindFriend("ada"), nullptr);

    browser->Button("meaway")->click();
    ASSERT_TRUE(FrameArrives(12));
    EXPECT_EQ(FramesCoded(12).back().payload, "2");
    ASSERT_TRUE(RunUntil([this] { return browser->Button("meaway")->isChecked(); }));

    // A header's box closes its section.
    const int rows = list->model()->rowCount();
    browser->userlistMouseDown(Qt::LeftButton, QPoint(10, 5), QPoint());
    EXPECT_LT(list->model()->rowCount(), rows);
}

TEST_F(BrowserTest, ARightClickWithAHeaderFocusedKeepsTheSelection) {
    ASSERT_TRUE(LoggedInWithLists());
    const int ada = UserRow("Ada");
    ASSERT_GE(ada, 0);
    QListView* list = browser->userlist();
    int header = -1;
    for (int row = 0; row < list->model()->rowCount() && header < 0; ++row) {
        const auto kind =
            static_cast<UserRowKind>(list->model()->index(row, 0).data(UserRowKindRole).toInt());
        if (kind == UserRowKind::UsersHeader) {
            header = row;
        }
    }
    ASSERT_GE(header, 0);
    list->selectionModel()->select(list->model()->index(ada, 0), QItemSelectionModel::Select);
    list->selectionModel()->setCurrentIndex(list->model()->index(header, 0),
                                            QItemSelectionModel::NoUpdate);
    browser->userlistMouseDown(Qt::RightButton, QPoint(40, 5), QPoint());
    EXPECT_EQ(menusOpened, 0);
    EXPECT_TRUE(list->selectionModel()->isSelected(list->model()->index(ada, 0)));
}

TEST_F(BrowserTest, ModeratorMenuEntriesSendTheirBytes) {
    server.script.privilege = 1;                                   // an operator
    server.script.users[1] = peers::MasterUserRecord("Bo", 2, 2);  // voiced
    ASSERT_TRUE(LoggedInWithLists());
    Tsbquery::SetAnswerer([](Tsbquery& q, Tsbquery::Panel panel) {
        EXPECT_EQ(panel, Tsbquery::kbpanel);
        q.SetText("kbmessage", "calm down");
        return true;
    });
    const int bo = UserRow("Bo");
    ASSERT_GE(bo, 0);
    QListView* list = browser->userlist();
    list->setCurrentIndex(list->model()->index(bo, 0));
    list->selectionModel()->select(list->model()->index(bo, 0), QItemSelectionModel::Select);
    browser->userlistMouseDown(Qt::RightButton, QPoint(40, 5), QPoint());
    ASSERT_EQ(menusOpened, 1);
    EXPECT_FALSE(browser->MenuItem("setvoice")->isEnabled());  // already voiced
    for (const char* entry : {"setoperator", "setnormal", "kickwomsg", "kickwmsg", "kickandban",
                              "kickand5minban", "requestrps"}) {
        ASSERT_TRUE(browser->MenuItem(entry)->isEnabled()) << entry;
        browser->MenuItem(entry)->trigger();
    }
    ASSERT_TRUE(FrameArrives(10, 3));
    ASSERT_TRUE(FrameArrives(15, 2));
    ASSERT_TRUE(FrameArrives(16));
    std::vector<std::string> moderate, kicks;
    for (const auto& f : FramesCoded(10)) {
        moderate.push_back(f.payload);
    }
    for (const auto& f : FramesCoded(15)) {
        kicks.push_back(f.payload);
    }
    EXPECT_EQ(moderate,
              (std::vector<std::string>{F({"0", "Bo", "0"}), F({"2", "Bo", "0", "calm down"}),
                                        F({"2", "Bo", "300", "calm down"})}));
    EXPECT_EQ(kicks, (std::vector<std::string>{"Bo", F({"Bo", "calm down"})}));
    EXPECT_EQ(FramesCoded(14).back().payload, "Bo");
    EXPECT_EQ(FramesCoded(16).back().payload, "");

    // A cancelled message sends nothing. (The replies may have rebuilt the list meanwhile.)
    Tsbquery::SetAnswerer([](Tsbquery&, Tsbquery::Panel) { return false; });
    const int again = UserRow("Bo");
    ASSERT_GE(again, 0);
    list->setCurrentIndex(list->model()->index(again, 0));
    list->selectionModel()->select(list->model()->index(again, 0), QItemSelectionModel::Select);
    browser->MenuItem("kickandban")->trigger();
    browser->MenuItem("setnormal")->trigger();
    ASSERT_TRUE(FrameArrives(14, 2));
    EXPECT_EQ(FramesCoded(10).size(), 3u);
}

TEST_F(BrowserTest, BannerMouseChatPanelAndChatFont) {
    const auto mouse = [this](QEvent::Type type, int x, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(x, 5), browser->topicbanner()->mapToGlobal(QPointF(x, 5)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(browser->topicbanner(), &event);
    };
    TTopicBanner& banner = browser->topicbanner()->banner;
    // A click without a move stops the scrolling banner, a second starts it at 80 again.
    banner.speed = 40;
    mouse(QEvent::MouseButtonPress, 50, Qt::LeftButton);
    EXPECT_EQ(banner.speed, 0);
    mouse(QEvent::MouseButtonRelease, 50, Qt::NoButton);
    EXPECT_EQ(banner.speed, 0);
    mouse(QEvent::MouseButtonPress, 50, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, 50, Qt::NoButton);
    EXPECT_EQ(banner.speed, BannerDefaultSpeed);
    // A drag moves the text with the pointer and keeps the speed; a move without the left
    // button does nothing.
    const int offset = banner.offset;
    mouse(QEvent::MouseButtonPress, 50, Qt::LeftButton);
    mouse(QEvent::MouseMove, 30, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, 30, Qt::NoButton);
    EXPECT_EQ(banner.offset, offset + 20);
    EXPECT_EQ(banner.speed, BannerDefaultSpeed);
    mouse(QEvent::MouseMove, 10, Qt::NoButton);
    EXPECT_EQ(banner.offset, offset + 20);

    // The chat edit fills its panel but for 3 pixels on the right and 1 at the foot.
    browser->resize(700, 500);
    DrainEvents();
    const QWidget* panel = browser->chateb()->parentWidget();
    EXPECT_EQ(panel->objectName(), "chatebpanel");
    EXPECT_EQ(browser->chateb()->geometry(), QRect(0, 0, panel->width() - 3, panel->height() - 1));

    // The chat box's font: a chosen one, then the window's again.
    browser->hooks.pickFont = [](QFont& font) {
        font.setPointSize(15);
        return true;
    };
    browser->MenuItem("browserchatchangefont")->trigger();
    EXPECT_EQ(browser->chatbox()->font().pointSize(), 15);
    browser->MenuItem("browserchatrestore")->trigger();
    EXPECT_EQ(browser->chatbox()->font(), browser->font());
}

TEST_F(BrowserTest, JoinAGameThroughTheEditorAndThenCreateOne) {
    ASSERT_TRUE(LoggedInWithLists());
    int row = -1;
    for (int r = 0; r < 2; ++r) {
        if (GameCell(r, 0) == "Classic") {
            row = r;
        }
    }
    ASSERT_GE(row, 0);
    QTreeView* gl = browser->gamelist();
    browser->gamelistDblClick(gl->visualRect(gl->model()->index(row, 0)).center());
    // Regions first (stale after the welcome), then the game's set opens the editor.
    ASSERT_TRUE(RunUntil([this] { return setup->isVisible(); }));
    EXPECT_EQ(setup->Model().Mode(), gsmJoin);
    EXPECT_EQ(setup->creategameb()->text(), "Join Game");
    setup->creategameb()->click();
    ASSERT_TRUE(Seated());
    EXPECT_FALSE(setup->isVisible());
    EXPECT_EQ(ClientState.game.JoinedGame, FindGame(7));

    // Creating a game leaves this one after the confirmation.
    browser->Button("creategame")->click();
    EXPECT_EQ(confirms.back(),
              "Creating a new game will make you leave your current game.  Proceed?");
    ASSERT_TRUE(setup->isVisible());
    EXPECT_EQ(setup->Model().Mode(), gsmCreate);
    setup->spectator()->setChecked(true);
    ASSERT_NE(setup->Model().Selected(), nullptr);
    const std::string setName = setup->Model().Selected()->name;
    setup->creategameb()->click();
    ASSERT_TRUE(FrameArrives(6));
    const LobbyFrame create = FramesCoded(6).back();
    EXPECT_EQ(TokenAt(1, create.payload, '\x02'), "0");  // the least busy server
    EXPECT_EQ(TokenAt(2, create.payload, '\x02'), setName);
    ASSERT_TRUE(Seated());
    ASSERT_NE(ClientState.game.JoinedGame, nullptr);
    EXPECT_EQ(ClientState.game.JoinedGame->name, setName);
    EXPECT_EQ(GameLink.JoinMode, 1);
}

TEST_F(BrowserTest, JoiningAKeyedRoomAsksForItsKey) {
    ASSERT_TRUE(LoggedInWithLists());
    Tsbquery::SetAnswerer([](Tsbquery& q, Tsbquery::Panel panel) {
        EXPECT_EQ(panel, Tsbquery::joinpasspanel);
        q.SetText("joinpasswordeb", "sesame");
        return true;
    });
    QTreeView* rl = browser->roomlist();
    int quiet = -1;
    for (int r = 0; r < rl->model()->rowCount(); ++r) {
        if (rl->model()->index(r, 0).data().toString() == "Quiet") {
            quiet = r;
        }
    }
    ASSERT_GE(quiet, 0);
    browser->roomlistDblClick(rl->visualRect(rl->model()->index(quiet, 0)).center());
    ASSERT_TRUE(FrameArrives(3));
    EXPECT_EQ(FramesCoded(3).back().payload, F({"2", "sesame"}));
    // A click beside the rows does nothing.
    browser->roomlistDblClick(QPoint(5, rl->viewport()->height() - 2));
    DrainEvents();
    EXPECT_EQ(FramesCoded(3).size(), 1u);
}

TEST_F(BrowserTest, LobbyWindowPicture) {
    ASSERT_TRUE(LoggedInWithLists());
    browser->gamelistColumnClick(0);
    browser->chatbox()->Clear();
    AddLobbyChat(Chat("~14*** Welcome, alice!"));
    browser->topicbanner()->banner.offset = 0;
    browser->topicbanner()->banner.speed = 0;
    DrainEvents();
    const Surface16 picture = SurfaceFromQImage(browser->grab().toImage());
    EXPECT_TRUE(MatchesGoldenWithin(picture, "lobby/ui/golden/browser.png", 1500));
}

}  // namespace
}  // namespace pk::test
