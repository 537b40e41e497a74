// The time from a key press delivered to the application to the own field repainted with the
// moved piece: the client's main and in-game windows on the default theme, offscreen, in a game
// against the scripted game server on loopback. Each round presses "move right" (or left, at a
// wall), waits for the in-game window's paint that shows the piece moved, then releases the key.
// Prints the 50th and 99th percentile over the rounds.
//   keylatency [DEFAULT.KLB] [rounds]
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "client_windows.h"
#include "game/zrgame.h"
#include "peers/game_server.h"
#include "room/zrgamelink.h"
#include "shell/ui/zrapplication.h"
#include "shell/zrconfig.h"
#include "shell/zrshell.h"

namespace {

using Clock = std::chrono::steady_clock;

// Notes the end of the first paint of the in-game window that shows the piece somewhere else
// than where it was when the key went down.
class LatencyApp : public pk::TApplication {
public:
    using pk::TApplication::TApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        const bool paint = event->type() == QEvent::Paint && receiver == pk::zrgame;
        const bool handled = pk::TApplication::notify(receiver, event);
        if (paint && waiting && pk::ClientState.game.PieceX != startX) {
            waiting = false;
            painted = Clock::now();
            if (loop)
                loop->quit();
        }
        return handled;
    }
    bool waiting = false;
    int startX = 0;
    QEventLoop* loop = nullptr;
    Clock::time_point painted;
};

// The event loop as the client runs it (sleeping until something happens), until `done` holds
// or `ms` have passed; `app.loop` lets the paint watch end it at once.
bool RunUntil(LatencyApp& app, const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done() || timer.elapsed() >= ms)
            loop.quit();
    });
    check.start(std::min(ms, 50));
    app.loop = &loop;
    if (!done())
        loop.exec();
    app.loop = nullptr;
    return done();
}

void SendKey(QWindow* window, QEvent::Type type, int key) {
    QKeyEvent event(type, key, Qt::NoModifier, 0, 0, 0);
    QApplication::sendEvent(window, &event);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SDL_AUDIODRIVER", "dummy");
    LatencyApp app(argc, argv);
    const std::string theme = argc > 1 ? argv[1] : PK_DEFAULT_THEME_FILE;
    const int rounds = argc > 2 ? std::max(10, std::atoi(argv[2])) : 300;
    QTemporaryDir folder;
    pk::ProgramFolder = folder.path().toStdString();
    std::error_code error;
    std::filesystem::copy_file(theme, pk::ProgramFolder / "DEFAULT.KLB", error);
    if (error) {
        std::fprintf(stderr, "cannot copy %s: %s\n", theme.c_str(), error.message().c_str());
        return 1;
    }
    bench::ClientWindows windows;
    pk::Tzrmain* main = windows.main;
    pk::peers::GameServerPeer server;
    if (!pk::StartUp({}) || !server.Listen()) {
        std::fprintf(stderr, "start-up failed\n");
        return 1;
    }
    main->show();
    pk::Config.accountname = "bench";
    pk::Settings.options.animdrop = 0;
    pk::GameConnect("127.0.0.1", server.Port());
    if (!RunUntil(
            app, [] { return pk::ClientState.game.GameLinkState == pk::LinkInRoom; }, 5000)) {
        std::fprintf(stderr, "no room\n");
        return 1;
    }
    std::string tokens = "102022222";
    for (int i = 1; i < 20; ++i) tokens += pk::TokenSep + std::string("102022222");
    server.Last()->StartGame(tokens, 1234, 5678);

    std::vector<double> latencies;
    int direction = Qt::Key_Right;
    while (static_cast<int>(latencies.size()) < rounds) {
        if (!RunUntil(
                app, [] { return pk::GameTiming.PieceActive.load() == 1; }, 5000))
            break;
        app.startX = pk::ClientState.game.PieceX;
        app.waiting = true;
        const Clock::time_point pressed = Clock::now();
        SendKey(main->windowHandle(), QEvent::KeyPress, direction);
        const bool moved = RunUntil(
            app, [&] { return !app.waiting; }, 200);
        SendKey(main->windowHandle(), QEvent::KeyRelease, direction);
        app.waiting = false;
        if (moved)
            latencies.push_back(
                std::chrono::duration<double, std::milli>(app.painted - pressed).count());
        else
            direction = direction == Qt::Key_Right ? Qt::Key_Left : Qt::Key_Right;
        // Past the key's repeat delay, so that the next press is a fresh one.
        RunUntil(
            app, [] { return false; }, 30);
    }
    windows.Close();
    if (latencies.size() < 10) {
        std::fprintf(stderr, "only %zu moves measured\n", latencies.size());
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    auto percentile = [&](double p) {
        const auto at = static_cast<size_t>(p * static_cast<double>(latencies.size()));
        return latencies[std::min(latencies.size() - 1, at)];
    };
    std::printf(
        "key to repainted own field over %zu moves: p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
        latencies.size(), percentile(0.50), percentile(0.99), latencies.back());
    return 0;
}
