#include "platform/process.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace pk {

std::int64_t CurrentProcessId() {
    return static_cast<std::int64_t>(::getpid());
}

std::string ExecutablePath() {
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

bool ProcessAlive(std::int64_t pid) {
    if (pid <= 0 || pid != static_cast<pid_t>(pid)) {
        return false;
    }
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) {
        return false;
    }
    // "pid (name) S ...": the state follows the last ')' (the name may hold one).
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::stringstream text;
    text << stat.rdbuf();
    const std::string line = text.str();
    const auto close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size()) {
        return true;  // no /proc: the signal test has to do
    }
    const char state = line[close + 2];
    return state != 'Z' && state != 'X';
}

bool CanRunProgram(const std::string& program) {
    struct stat st {};
    return ::stat(program.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(program.c_str(), X_OK) == 0;
}

bool StartDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& folder, std::int64_t* pid) {
    QStringList args;
    for (const auto& a : arguments) {
        args << QString::fromLocal8Bit(a.data(), static_cast<qsizetype>(a.size()));
    }
    qint64 started = 0;
    const bool ok = QProcess::startDetached(
        QString::fromLocal8Bit(program.data(), static_cast<qsizetype>(program.size())), args,
        QString::fromLocal8Bit(folder.data(), static_cast<qsizetype>(folder.size())), &started);
    if (pid) {
        *pid = ok ? started : 0;
    }
    return ok;
}

void RunFromEventLoop(std::function<void()> work) {
    auto* app = QCoreApplication::instance();
    if (!app) {
        return;
    }
    QMetaObject::invokeMethod(
        app,
        [work = std::move(work)] {
            try {
                work();
            } catch (...) {
            }
        },
        Qt::QueuedConnection);
}

}  // namespace pk
