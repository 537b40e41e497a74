// The client program itself, run from a folder of its own beside the default theme.
#include <gtest/gtest.h>
#include <sys/types.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/event_loop.h"
#include "support/temp_dir.h"

namespace pk {
namespace {
namespace fs = std::filesystem;

// The program beside the theme: a hard link where the folders share a file system (the program
// is large), else a copy; a symbolic link would make the build folder its program folder.
void StageClient(const fs::path& folder) {
    std::error_code error;
    fs::create_hard_link(PK_PELKORIN_PROGRAM, folder / "pelkorin", error);
    if (error) {
        fs::copy_file(PK_PELKORIN_PROGRAM, folder / "pelkorin");
    }
    fs::copy_file(PK_DEFAULT_THEME_FILE, folder / "DEFAULT.KLB");
}

// The main thread's state letter and processor ticks, from /proc.
bool MainThreadStat(qint64 pid, char& state, long long& ticks) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(file, line)) {
        return false;
    }
    const auto close = line.rfind(')');
    if (close == std::string::npos) {
        return false;
    }
    std::istringstream rest(line.substr(close + 2));
    std::string skip;
    rest >> state;
    for (int field = 4; field <= 13; ++field) {
        rest >> skip;
    }
    long long user = 0;
    long long system = 0;
    rest >> user >> system;
    ticks = user + system;
    return static_cast<bool>(rest);
}

// Until the main thread sleeps and has used no processor time for a while: the start-up is
// over and the program waits in its message box.
bool WaitUntilIdle(qint64 pid) {
    QElapsedTimer clock;
    clock.start();
    long long lastTicks = -1;
    int quietSamples = 0;
    while (clock.elapsed() < 60000) {
        char state = '?';
        long long ticks = 0;
        if (!MainThreadStat(pid, state, ticks)) {
            return false;
        }
        quietSamples = state == 'S' && ticks == lastTicks ? quietSamples + 1 : 0;
        if (quietSamples >= 5) {
            return true;
        }
        lastTicks = ticks;
        QThread::msleep(100);
    }
    return false;
}

TEST(PelkorinProgram, ATerminationSignalEndsItWhileAStartUpMessageIsOpen) {
    test::EnsureEventLoop();
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        test::TempDir folder;
        StageClient(folder.Path());
        QProcess client;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("SDL_AUDIODRIVER", "dummy");
        // The leak check at the end of a sanitized build is no part of the time measured.
        environment.insert("ASAN_OPTIONS", "detect_leaks=0");
        client.setProcessEnvironment(environment);
        client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Without "versions.txt", "-showver" opens "No versions file exists!" and waits.
        client.start(QString::fromStdString((folder.Path() / "pelkorin").string()), {"-showver"});
        ASSERT_TRUE(client.waitForStarted());
        const bool idle = WaitUntilIdle(client.processId());
        EXPECT_TRUE(idle);
        ASSERT_EQ(::kill(static_cast<pid_t>(client.processId()), signal), 0);
        const bool ended = client.waitForFinished(2000);
        if (!ended) {
            client.kill();
            client.waitForFinished();
        }
        EXPECT_TRUE(ended);
    }
}

}  // namespace
}  // namespace pk
