#include "apps/qaup/qaup.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <thread>

#include "core/zrconst.h"
#include "core/zrmisc.h"
#include "platform/atomicfile.h"
#include "platform/confinedfs.h"
#include "platform/process.h"
#include "update/zrpatch.h"
#include "update/zrupdatefiles.h"
#include "update/zrupgradeq.h"

namespace pk::qaup {
namespace fs = std::filesystem;

namespace {

constexpr int kPollMs = 100;
// The queue is a few lines per patched file.
constexpr std::size_t kMaxQueueSize = 4u * 1024u * 1024u;

class SystemEnv final : public Environment {
public:
    bool ProcessAlive(std::int64_t pid) override { return pk::ProcessAlive(pid); }
    void SleepMs(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    bool Start(const std::string& program, const std::vector<std::string>& arguments,
               const std::string& folder) override {
        return StartDetached(program, arguments, folder);
    }
    void Log(const std::string& line) override { std::fprintf(stderr, "qaup: %s\n", line.c_str()); }
};

bool WaitForExit(const Options& options, Environment& env) {
    const int polls = options.waitSeconds * (1000 / kPollMs);
    for (int i = 0; options.clientPid > 0 && env.ProcessAlive(options.clientPid); ++i) {
        if (i >= polls) {
            return false;
        }
        env.SleepMs(kPollMs);
    }
    return true;
}

// Copies when a rename cannot work (another file system): a new file beside
// the target, then a rename over it.
bool CopyOver(const fs::path& source, const fs::path& target) {
    PlainFileReader in;
    if (!in.Open(source)) {
        return false;
    }
    fs::path temp = target;
    temp += ".qaup-new";
    NewFile out;
    if (!out.Recreate(temp)) {
        return false;
    }
    std::array<char, 65536> buffer;
    bool ok = true;
    for (;;) {
        const std::size_t got = in.Read(buffer.data(), buffer.size());
        if (got == 0) {
            break;
        }
        ok = ok && out.Write(std::string_view(buffer.data(), got));
    }
    ok = out.Close() && ok && !in.Failed() && ReplaceByRename(temp, target);
    if (!ok) {
        RemoveFileOnly(temp);
    }
    return ok;
}

std::vector<std::string> SplitArguments(const std::string& text) {
    std::vector<std::string> args;
    const int count = WordCount(text);
    for (int i = 1; i <= count; ++i) {
        args.push_back(WordAt(i, text));
    }
    return args;
}

class QueueRunner {
public:
    QueueRunner(const Options& options, Environment& env) : options_(options), env_(env) {}

    bool Perform(const UpgradeLine& line) {
        std::string a;
        std::string b;
        switch (line.kind) {
            case UpgradeLine::Copy:
                if (!Inside(line.path, a) || !Inside(line.target, b)) {
                    return false;
                }
                if (!MakeFoldersInside(options_.folder, fs::path(line.target).parent_path())) {
                    return false;
                }
                return ReplaceByRename(line.path, line.target) || CopyOver(line.path, line.target);
            case UpgradeLine::Delete:
                return Inside(line.path, a) && RemoveFileOnly(line.path);
            case UpgradeLine::Remdir:
                // Only the temporary folder: never the program folder or another one.
                if (!Inside(line.path, a) || !SameText(TrimSlash(a), TempFolderName)) {
                    return false;
                }
                RemoveTempFolder(FolderText(options_.folder) + std::string(TempFolderName));
                return true;
            case UpgradeLine::Run:
                if (!Inside(line.path, a) || KindOf(line.path) != PathKind::Regular) {
                    return false;
                }
                env_.SleepMs(std::min(line.delayMs, MaxUpdaterRunDelayMs));
                return env_.Start(line.path, SplitArguments(line.target),
                                  FolderText(options_.folder));
        }
        return false;
    }

private:
    bool Inside(const std::string& full, std::string& relative) {
        return RelativeInside(options_.folder, full, relative);
    }
    static std::string TrimSlash(std::string text) {
        while (!text.empty() && text.back() == '/') {
            text.pop_back();
        }
        return text;
    }

    const Options& options_;
    Environment& env_;
};

}  // namespace

Environment& SystemEnvironment() {
    static SystemEnv env;
    return env;
}

bool ParseArguments(const std::vector<std::string>& arguments, Options& options) {
    if (arguments.size() != 2) {
        return false;
    }
    const auto pid = ParseInt(arguments[1]);
    if (arguments[0].empty() || !pid || *pid <= 0) {
        return false;
    }
    options.windowId = arguments[0];
    options.clientPid = *pid;
    return true;
}

bool RelativeInside(const fs::path& folder, const std::string& full, std::string& relative) {
    const std::string base = FolderText(folder);
    if (full.size() <= base.size() || full.compare(0, base.size(), base) != 0) {
        return false;
    }
    std::string rest = full.substr(base.size());
    const bool folderForm = rest.back() == '/';
    if (folderForm) {
        rest.pop_back();
    }
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = rest.find('/', start);
        if (end == std::string::npos) {
            end = rest.size();
        }
        const std::string_view part(rest.data() + start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        start = end + 1;
    }
    for (char c : rest) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) {
            return false;
        }
    }
    if (!PathInside(folder, fs::path(full).parent_path())) {
        return false;
    }
    relative = folderForm ? rest + "/" : rest;
    return true;
}

Report RunUpdater(const Options& options, Environment& env) {
    Report report;
    env.Log("waiting for the client (window " + options.windowId + ", process " +
            std::to_string(options.clientPid) + ") to exit");
    if (!WaitForExit(options, env)) {
        env.Log("the client did not exit; the update is left for the next run");
        report.outcome = Outcome::ClientStayed;
        return report;
    }
    const fs::path queueFile = FolderText(options.folder) + std::string(QueueFileName);
    const auto text = ReadFileBytes(queueFile, kMaxQueueSize);
    if (!text) {
        env.Log("no readable " + std::string(QueueFileName));
        report.outcome = Outcome::NoQueue;
        return report;
    }
    const UpgradeQueue queue = ParseUpgradeQueue(*text);
    for (const auto& line : queue.refused) {
        env.Log("line refused: " + line);
        ++report.refused;
    }
    QueueRunner runner(options, env);
    std::vector<const UpgradeLine*> runs;
    for (const auto& line : queue.lines) {
        if (line.kind == UpgradeLine::Run) {
            runs.push_back(&line);
            continue;
        }
        if (runner.Perform(line)) {
            ++report.performed;
        } else {
            env.Log("cannot carry out: " + FormatUpgradeLine(line));
            ++report.refused;
        }
    }
    // The queue is done with before the client comes back, so that it never
    // runs twice.
    RemoveFileOnly(queueFile);
    for (const UpgradeLine* line : runs) {
        if (runner.Perform(*line)) {
            ++report.performed;
            report.restarted = true;
        } else {
            env.Log("cannot start: " + line->path);
            ++report.refused;
        }
    }
    return report;
}

}  // namespace pk::qaup
