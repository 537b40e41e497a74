#pragma once
// The updater: started by the client after a patch, it waits for the client
// to exit, carries out "upgrade.tmp" in the program folder (its own folder)
// and starts the client again.
//
// The queue was written by our client from a patch that came off the network,
// so every line is checked again here: each path must lie inside the program
// folder (links included), "remdir" may only remove the temporary folder, and
// "run" may only start a program file of that folder.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pk::qaup {

// What the updater needs from the system; tests put in their own.
class Environment {
public:
    virtual ~Environment() = default;
    virtual bool ProcessAlive(std::int64_t pid) = 0;
    virtual void SleepMs(int ms) = 0;
    virtual bool Start(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& folder) = 0;
    virtual void Log(const std::string& line) = 0;
};

// The real system: process table, sleeping, detached start, standard error.
Environment& SystemEnvironment();

struct Options {
    std::filesystem::path folder;  // the program folder
    std::string windowId;          // the client's main window; kept for the log
    std::int64_t clientPid = 0;    // the client to wait for
    int waitSeconds = 120;         // how long the client may take to exit
};

// The command line: window id and process id, both decimal.
bool ParseArguments(const std::vector<std::string>& arguments, Options& options);

enum class Outcome {
    Done,          // the queue was carried out
    ClientStayed,  // the client did not exit in time; nothing was touched
    NoQueue,       // no readable "upgrade.tmp"
};

struct Report {
    Outcome outcome = Outcome::Done;
    int performed = 0;  // lines carried out
    int refused = 0;    // lines refused or failed
    bool restarted = false;
};

Report RunUpdater(const Options& options, Environment& env);

// The path relative to `folder` when `full` names something inside it: the
// folder's text, then components that are neither empty, "." nor "..", and
// no control bytes; the existing part must resolve inside too.
bool RelativeInside(const std::filesystem::path& folder, const std::string& full,
                    std::string& relative);

}  // namespace pk::qaup
