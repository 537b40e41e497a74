// A whole game through the client's windows, offscreen on the default theme, against the
// scripted master server program on loopback (it runs the game server of its games in the same
// program): log in, chat in the lobby, create a game with special blocks, chat in the room,
// start, play until lines are cleared, specials are collected, one is used on a scripted
// player and one arrives from one, to the game's end and its statistics. The test reads the
// client's state to choose its moves, but acts only through key and mouse events sent to the
// windows.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "clientwindows.h"
#include "core/zrlog.h"
#include "core/zrtxtlines.h"
#include "display/ui/zrgameform.h"
#include "display/zrfieldpaint.h"
#include "game/zrgame.h"
#include "gamesetup/ui/zrgamesetupform.h"
#include "lobby/ui/zrbrowser.h"
#include "lobby/ui/zrlobbywindowhost.h"
#include "lobby/zrlobbymodel.h"
#include "room/ui/zrpartylineform.h"
#include "room/zrgamelink.h"
#include "shell/ui/zrforms.h"
#include "shell/ui/zrmain.h"
#include "shell/zrshell.h"
#include "support/event_loop.h"
#include "support/temp_dir.h"
#include "support/widgetapp.h"
#include "wholegame_player.h"

namespace pk {
namespace {

namespace fs = std::filesystem;
using test::RunUntil;

// Generous: the sanitizer build on a loaded machine is many times slower than a plain one.
constexpr int StepMs = 60000;
// A game that places no piece for this long has stopped.
constexpr qint64 NoProgressMs = 5000;
// The bots' moves and pace: each bot places a piece about every BotPieceMs, and they are out
// after 60 pieces each at the latest, so a game lasts about 40 s. Under this seed the first of
// their specials at the player comes with their 13th piece, the game's first few seconds.
constexpr const char* BotSeed = "150";
constexpr const char* BotPieceMs = "700";

// A loopback port that was free a moment ago.
int FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return 0;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &size) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The scripted master server as a program of its own, on two free loopback ports: its own and
// the one its games take place on. Its output goes to files beside the client.
class MasterServerProgram {
public:
    explicit MasterServerProgram(fs::path folder) : folder_(std::move(folder)) {}
    ~MasterServerProgram() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }

    // Another program may take a port between our look and the server's listen: then it
    // starts again on others.
    bool Start() {
        for (int attempt = 0; attempt < 5; ++attempt) {
            port = FreePort();
            const int gamePort = FreePort();
            if (port == 0 || gamePort == 0 || port == gamePort)
                continue;
            process_.setStandardOutputFile(QString::fromStdString(Log().string()));
            process_.setStandardErrorFile(QString::fromStdString((folder_ / "err.log").string()));
            process_.start(PK_MASTERSERVER_PROGRAM,
                           {QString::number(port), QString::number(gamePort), BotSeed, BotPieceMs});
            if (!process_.waitForStarted(StepMs))
                continue;
            if (RunUntil(
                    [this] {
                        return process_.state() == QProcess::NotRunning ||
                               ReadText(Log()).find("master server on") != std::string::npos;
                    },
                    StepMs) &&
                process_.state() == QProcess::Running)
                return true;
            process_.waitForFinished(StepMs);
        }
        return false;
    }
    fs::path Log() const { return folder_ / "masterserver.log"; }
    bool Running() const { return process_.state() == QProcess::Running; }

    int port = 0;

private:
    fs::path folder_;
    QProcess process_;
};

// Events as the platform delivers them to a window.
QPoint WindowPoint(QWidget* widget, QPoint at) {
    return widget->mapTo(widget->window(), at);
}
void Mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QWindow* window = widget->window()->windowHandle();
    ASSERT_NE(window, nullptr);
    QMouseEvent event(type, QPointF(WindowPoint(widget, at)), QPointF(widget->mapToGlobal(at)),
                      Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(window, &event);
}
void Click(QWidget* widget, QPoint at) {
    Mouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton);
    Mouse(widget, QEvent::MouseButtonRelease, at, Qt::NoButton);
}
void Click(QWidget* widget) {
    Click(widget, widget->rect().center());
}
void Key(QWindow* window, QEvent::Type type, Qt::Key key, const QString& text = {}) {
    QKeyEvent event(type, key, Qt::NoModifier, text);
    QApplication::sendEvent(window, &event);
}
void Press(QWindow* window, Qt::Key key, const QString& text = {}) {
    Key(window, QEvent::KeyPress, key, text);
    Key(window, QEvent::KeyRelease, key, text);
}
void Type(QWidget* widget, const QString& text) {
    QWindow* window = widget->window()->windowHandle();
    for (QChar c : text) Press(window, static_cast<Qt::Key>(c.toUpper().unicode()), QString(c));
}

bool HasLine(TZRTxtbox* box, const std::string& text) {
    for (std::size_t i = 0; i < box->Lines().Count(); ++i)
        if (box->Lines().Line(i).plain.find(text) != std::string::npos)
            return true;
    return false;
}

// Every one-line and multi-line edit of the program's windows, by a name that tells them apart.
std::map<std::string, QString> EditTexts() {
    std::map<std::string, QString> texts;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        const auto name = [top](QObject* edit) {
            return (top->objectName() + "/" + edit->objectName() + "@" +
                    QString::number(reinterpret_cast<quintptr>(edit), 16))
                .toStdString();
        };
        for (QLineEdit* edit : top->findChildren<QLineEdit*>()) texts[name(edit)] = edit->text();
        for (QPlainTextEdit* edit : top->findChildren<QPlainTextEdit*>())
            if (!edit->isReadOnly())
                texts[name(edit)] = edit->toPlainText();
        for (QTextEdit* edit : top->findChildren<QTextEdit*>())
            if (!edit->isReadOnly())
                texts[name(edit)] = edit->toPlainText();
    }
    return texts;
}

// The window manager's part, which the offscreen platform leaves out: a window that goes away
// while it is the active one hands the activation back to the main window.
class WindowManager : public QObject {
public:
    explicit WindowManager(QWidget* main) : main_(main) { qApp->installEventFilter(this); }
    ~WindowManager() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Hide || !watched->isWidgetType() ||
            !static_cast<QWidget*>(watched)->isWindow() || watched == main_)
            return false;
        QMetaObject::invokeMethod(
            this,
            [main = QPointer<QWidget>(main_)] {
                QWidget* active = QApplication::activeWindow();
                if (main && main->isVisible() && main->windowHandle() &&
                    (active == nullptr || !active->isVisible()))
                    main->windowHandle()->requestActivate();
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    QWidget* main_;
};

tclient* OwnPlayer() {
    return ClientState.game.OwnPlayer;
}
bool OwnPlaying() {
    const tclient* me = OwnPlayer();
    return me != nullptr && me->plr != nullptr && me->plr->PlayerState == psPlaying;
}

class WholeGame : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        ProgramFolder = dir.Path();
        fs::copy_file(PK_DEFAULT_THEME_FILE, dir.Path() / "DEFAULT.KLB");
        // Any message box is a fault here: noted, never left waiting for a user.
        SetMessageBoxHandler([this](QWidget*, const QString& text) {
            problems.push_back("message box: " + text.toStdString());
        });
        LobbyBoxes().message = [this](const std::string& text) {
            problems.push_back("lobby message box: " + text);
        };
        LobbyBoxes().confirm = [this](const std::string& text) {
            problems.push_back("lobby question: " + text);
            return true;
        };
        ClearClientLog();
        server = std::make_unique<MasterServerProgram>(dir.Path());
        ASSERT_TRUE(server->Start()) << ReadText(dir.Path() / "err.log");
        windows = std::make_unique<ClientWindows>();
        windowManager = std::make_unique<WindowManager>(windows->main);
        ASSERT_TRUE(StartUp({"-ms", "127.0.0.1", std::to_string(server->port)}));
        ASSERT_TRUE(RunUntil([this] { return windows->main->isVisible(); }, StepMs));
    }
    void TearDown() override {
        windowManager.reset();
        windows.reset();
        test::DrainEvents();
        server.reset();
        LobbyBoxes() = {};
        SetMessageBoxHandler({});
        ProgramFolder.clear();
        if (HasFailure())
            std::printf("client log:\n%s\nmaster server's last lines:\n%s\n", ClientLog().c_str(),
                        Tail(ReadText(dir.Path() / "masterserver.log")).c_str());
    }

    static std::string Tail(const std::string& text) {
        return text.size() > 4000 ? text.substr(text.size() - 4000) : text;
    }

    // Runs the event loop until `done`, watching the game all the while; false when a fault
    // showed or the time ran out.
    // The loop sleeps between events; a short timer wakes it to look again, so a game of
    // 40 s does not keep a processor busy beside the other tests.
    bool Until(const std::function<bool()>& done, int limitMs = StepMs) {
        QDeadlineTimer deadline(limitMs);
        QTimer wake;
        wake.start(5);
        while (Watch() && !done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        return problems.empty() && done();
    }

    // Notes what must never happen: a game that stops placing pieces, an error or bug line in
    // the client's log, a server that went away. False once anything was noted.
    bool Watch() {
        const tmegame& g = ClientState.game;
        const bool running =
            g.GameRunning != 0 && g.GamePaused == 0 && !g.Spectating && OwnPlaying();
        if (g.PieceLog != pieceLog_ || !running) {
            pieceLog_ = g.PieceLog;
            sincePiece_.start();
        } else if (sincePiece_.elapsed() > NoProgressMs) {
            problems.push_back("no piece placed for " + std::to_string(sincePiece_.elapsed()) +
                               " ms while the game runs (piece at " + std::to_string(g.PieceX) +
                               "," + std::to_string(g.PieceY) + ", waiting " +
                               std::to_string(g.PieceWaiting) + ", queue busy " +
                               std::to_string(g.QueueBusy) + ")");
        }
        if (!logClock_.isValid() || logClock_.elapsed() > 100) {
            logClock_.start();
            CheckLog();
            if (!server->Running())
                problems.push_back("the master server program ended");
        }
        return problems.empty();
    }
    void CheckLog() {
        std::istringstream lines(ClientLog());
        std::string line;
        while (std::getline(lines, line)) {
            const auto stamp = line.find("] ");
            const std::string text = stamp == std::string::npos ? line : line.substr(stamp + 2);
            if ((text.rfind("Error", 0) == 0 || text.rfind("BUG", 0) == 0) &&
                badLines_.insert(line).second)
                problems.push_back("client log: " + line);
        }
    }
    std::string Problems() const {
        std::string all;
        for (const std::string& p : problems) all += p + "\n";
        return all;
    }

    QWindow* MainWindow() { return windows->main->windowHandle(); }

    // A key held until its effect shows (or `limitMs` passed), then let go: the game thread
    // polls the keys, so a tap must last until it was seen.
    bool Tap(Qt::Key key, const QString& text, const std::function<bool()>& changed, int limitMs) {
        Key(MainWindow(), QEvent::KeyPress, key, text);
        const bool seen = Until(changed, limitMs);
        Key(MainWindow(), QEvent::KeyRelease, key, text);
        return seen;
    }

    // Turns, moves and drops the falling piece where the player chose; false when the game
    // stopped taking pieces.
    bool PlayPiece() {
        tmegame& g = ClientState.game;
        const std::string log = g.PieceLog;
        const auto placed = [&g, log] { return g.PieceLog != log || g.GameRunning == 0; };
        const test::PiecePlace place = test::ChoosePlace(g.CurrentPiece, OwnPlayer()->plr->field);
        if (place.found) {
            const int rotation = (g.PieceRotation - 1 + place.turns) % 4 + 1;
            // A turn or move that does not show in a while is blocked: the piece goes down
            // where it is.
            for (int tries = 0; tries < 4 && g.PieceRotation != rotation && !placed(); ++tries) {
                const int before = g.PieceRotation;
                if (!Tap(
                        Qt::Key_Up, {}, [&] { return g.PieceRotation != before || placed(); },
                        1500))
                    break;
            }
            for (int tries = 0; tries < FieldWidth && g.PieceRotation == rotation &&
                                g.PieceX != place.x && !placed();
                 ++tries) {
                const int before = g.PieceX;
                const Qt::Key key = g.PieceX < place.x ? Qt::Key_Right : Qt::Key_Left;
                if (!Tap(
                        key, {}, [&] { return g.PieceX != before || placed(); }, 1500))
                    break;
            }
        }
        if (!placed())
            Tap(Qt::Key_Space, " ", placed, StepMs);
        return placed() && problems.empty();
    }

    // The first special of the inventory on a scripted player still in the game, by the key
    // of that player's place on the screen.
    bool UseSpecial() {
        tmegame& g = ClientState.game;
        for (int position = 2; position <= MaxSlots; ++position) {
            const int slot = DisplayToSlot(position);
            const tclient* target = ValidSlot(slot) ? SlotPlayers[slot] : nullptr;
            if (target == nullptr || target->plr == nullptr ||
                target->plr->PlayerState != psPlaying)
                continue;
            const std::string inventory = g.Inventory;
            const auto key = static_cast<Qt::Key>(Qt::Key_0 + position);
            return Tap(
                key, QString::number(position),
                [&] { return g.Inventory != inventory || g.GameRunning == 0; }, 1500);
        }
        return false;
    }

    // What the game event log holds of specials between the own player and the others.
    int Events(bool toOwn) const {
        const std::string me = OwnPlayer() != nullptr ? OwnPlayer()->name : std::string();
        int n = 0;
        for (const std::string& line : ClientState.game.GameEventLog) {
            const auto at = line.find("Event: to ");
            if (at == std::string::npos)
                continue;
            const std::string rest = line.substr(at + 10);
            const bool toMe = rest.rfind(me + " from ", 0) == 0;
            const bool fromMe = rest.find(" from " + me + ":") != std::string::npos;
            if (toOwn ? toMe && !fromMe : fromMe && !toMe)
                ++n;
        }
        return n;
    }

    test::TempDir dir;
    std::unique_ptr<MasterServerProgram> server;
    std::unique_ptr<ClientWindows> windows;
    std::unique_ptr<WindowManager> windowManager;
    std::vector<std::string> problems;

private:
    std::string pieceLog_;
    QElapsedTimer sincePiece_;
    QElapsedTimer logClock_;
    std::set<std::string> badLines_;
};

TEST_F(WholeGame, FromTheLoginToTheStatistics) {
    // The login page: a name, a password and Enter.
    Tzrtitle* title = windows->title;
    ASSERT_TRUE(Until([title] { return title->accountname()->isVisible(); })) << Problems();
    Click(title->accountname());
    Type(title->accountname(), "rowan");
    Click(title->accountpass());
    Type(title->accountpass(), "secret");
    Press(title->window()->windowHandle(), Qt::Key_Return, "\r");
    Tzrbrowser* browser = windows->browser;
    ASSERT_TRUE(Until([browser] {
        return ClientState.lobby.LobbyLinkState == sbConnected && browser->isVisible() &&
               browser->Button("creategame")->isEnabled();
    })) << Problems();

    // Lobby chat: the line comes back from the server into the chat box.
    Click(browser->chateb());
    Type(browser->chateb(), "hello lobby");
    Press(browser->window()->windowHandle(), Qt::Key_Return, "\r");
    EXPECT_TRUE(Until([browser] { return HasLine(browser->chatbox(), "hello lobby"); }))
        << Problems();

    // New Game, a set with special blocks chosen from the editor's list, Create.
    Click(browser->Button("creategame"));
    Tzrgamesetup* setup = windows->gamesetup;
    ASSERT_TRUE(Until([setup] { return setup->isVisible() && setup->Model().Mode() == gsmCreate; }))
        << Problems();
    QComboBox* sets = setup->presetlist();
    // Not the set the editor offers first, so the choice is the click's.
    const int row = sets->findText("Special Block Game", Qt::MatchContains);
    ASSERT_GE(row, 0);
    ASSERT_NE(sets->currentIndex(), row);
    Click(sets);
    QAbstractItemView* list = sets->view();
    ASSERT_TRUE(Until([list] { return list->isVisible(); })) << Problems();
    list->scrollTo(list->model()->index(row, 0));
    test::DrainEvents();
    const QPoint item = list->visualRect(list->model()->index(row, 0)).center();
    Mouse(list->viewport(), QEvent::MouseMove, item, Qt::NoButton);
    Click(list->viewport(), item);
    ASSERT_TRUE(Until([setup] {
        return setup->Model().Selected() != nullptr &&
               setup->Model().Selected()->name == "Special Block Game";
    })) << Problems();
    Click(setup->creategameb());
    Tzrpartyline* room = windows->partyline;
    ASSERT_TRUE(Until([room] {
        return ClientState.game.GameLinkState == LinkInRoom && room->isVisible() &&
               OwnPlayer() != nullptr && OwnPlayer()->slot > 0;
    })) << Problems();

    // Room chat: the line comes back from the game server.
    Click(room->chatedit());
    Type(room->chatedit(), "hello room");
    Press(room->window()->windowHandle(), Qt::Key_Return, "\r");
    EXPECT_TRUE(Until([room] { return HasLine(room->chatbox(), "hello room"); })) << Problems();
    const std::map<std::string, QString> editsBefore = EditTexts();

    // Start.
    ASSERT_TRUE(Until([room] { return room->startgame()->isEnabled(); })) << Problems();
    Click(room->startgame());
    ASSERT_TRUE(Until([this] {
        return ClientState.game.GameRunning != 0 && windows->game->isVisible();
    })) << Problems();
    // The game goes by the set it was created with.
    EXPECT_FALSE(Settings.rules.sbchance[1].empty());

    // Play: lines, specials collected, one used on a scripted player, one received; then on
    // until the game ends.
    tmegame& g = ClientState.game;
    int collected = 0;
    bool used = false;
    std::size_t inventory = 0;
    while (g.GameRunning != 0 && problems.empty()) {
        if (!Until([&g] {
                return g.GameRunning == 0 || !OwnPlaying() ||
                       (g.PieceX != -1 && g.PieceWaiting == 0 && g.QueueBusy == 0);
            }))
            break;
        if (g.GameRunning == 0 || !OwnPlaying())
            break;
        if (g.Inventory.size() > inventory)
            collected += static_cast<int>(g.Inventory.size() - inventory);
        inventory = g.Inventory.size();
        // Used only once one has arrived: the room's dealing draws from the same generator as
        // the bots' play, so the scripted players' moves up to then follow from the seed alone.
        if (!used && !g.Inventory.empty() && Events(true) > 0 && UseSpecial()) {
            used = true;
            inventory = g.Inventory.size();
            continue;
        }
        if (!PlayPiece())
            break;
    }
    const int lines = g.LinesCleared;
    ASSERT_TRUE(problems.empty()) << Problems();
    // Out of the game (or the game over): the rest of the game runs to its end.
    ASSERT_TRUE(Until([&g] { return g.GameRunning == 0; })) << Problems();
    ASSERT_TRUE(Until([room] { return room->StatsShown() && room->isVisible(); })) << Problems();

    // The statistics name the winner, a player of the room, and list the game's events.
    std::string winner;
    for (const std::string& line : room->Stats().results)
        for (const TTextLine& plain : SplitStyledLines(line))
            if (plain.plain.rfind("Game winner:\t", 0) == 0)
                winner = plain.plain.substr(13);
    EXPECT_NE(FindPlayer(winner), nullptr) << "the winner is \"" << winner << "\"";
    EXPECT_FALSE(room->Stats().events.empty());

    EXPECT_GE(lines, 2);
    EXPECT_GE(collected, 2);
    EXPECT_GE(Events(false), 1) << "no special used on a scripted player";
    EXPECT_GE(Events(true), 1) << "no special received from a scripted player";
    // No key of the game landed in an edit.
    for (const auto& [name, text] : EditTexts()) {
        const auto before = editsBefore.find(name);
        EXPECT_TRUE(before == editsBefore.end() ? text.isEmpty() : before->second == text)
            << name << " holds \"" << text.toStdString() << "\"";
    }
    EXPECT_TRUE(room->chatedit()->text().isEmpty());
    EXPECT_TRUE(windows->game->msgbox()->text().isEmpty());
    EXPECT_TRUE(browser->chateb()->text().isEmpty());
    Watch();
    EXPECT_TRUE(problems.empty()) << Problems();
}

}  // namespace
}  // namespace pk
