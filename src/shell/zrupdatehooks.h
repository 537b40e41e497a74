// What the shell asks of the update client, which sits above it (src/lobby): the release notes
// of "-showver" and the start of an update run. The update client installs the real one.
#pragma once

#include <string>

namespace pk {

class ShellUpdate {
public:
    virtual ~ShellUpdate() = default;
    // Shows the release notes ("versions.txt").
    virtual void ShowVersions() {}
    // A server said the client is out of date: fetch the update from host:port.
    virtual void StartUpdateClient(const std::string& host, int port) {
        (void)host;
        (void)port;
    }
};

// The installed one; never null. Installing nullptr restores the one that does nothing.
ShellUpdate& Update();
void SetShellUpdate(ShellUpdate* update);

// Set by the configuration loader when the stored "ver" differs from this build's version (a
// missing configuration counts as different): the update client reads it.
extern bool VersionChanged;

}  // namespace pk
