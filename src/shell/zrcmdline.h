// The client's command line. Only the first argument selects an option, compared lower-cased;
// the second and third are its values, taken as typed. An argument that names no option, and
// an option given later than first, do nothing.
//
//   -ms host [port]          the master server (port 16803 when missing or not a number)
//   -connect server [name]   join a game server at once
//   -showver                 show the release notes
//   -showverlogin name pass  log in, then show the release notes
//   -nohrtimer               the clocks use the tick count
#pragma once

#include <string>
#include <vector>

namespace pk {

enum class CommandLineOption {
    None,
    MasterServer,
    Connect,
    ShowVersions,
    ShowVersionsLogin,
    NoHighResTimer,
};

struct CommandLine {
    CommandLineOption option = CommandLineOption::None;
    std::string first;   // argument 2 as typed (host, server, name)
    std::string second;  // argument 3 as typed (port, name, password)
    int port = 0;        // "-ms": the port to use
};

// `arguments` without the program's own name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// A decimal port from 1 to 65535; anything else is not a port.
bool ParsePort(const std::string& text, int& port);

}  // namespace pk
