#pragma once
// The one update session, shared by the run (zrupdate.cpp) and the upgrade that follows a
// download (zrupgrade.cpp): the socket, the open download, the dialog, the host, and the
// generation that tells a step posted to the event loop whether its run is still the one going.
#include <cstdint>
#include <memory>
#include <string>

#include "game/zrgame.h"
#include "net/zrsock.h"
#include "platform/atomicfile.h"
#include "update/zrupdate.h"

namespace pk::updatesession {

struct UpdateSession {
    std::unique_ptr<TZRSock> sock;
    NewFile patchFile;  // the download, open from "start" to its end
    UpdateView* view = nullptr;
    UpdateHost* host = nullptr;
    // Raised whenever a run ends, so that a restart posted by a redirect of
    // an earlier run does nothing.
    std::uint64_t generation = 0;
};

UpdateSession& Session();
// The run's fields in the client state.
tupdateclient& Run();

// Every view call goes through here: a session without a dialog still runs.
template <class Call>
void View(Call&& call) {
    if (UpdateView* view = Session().view) {
        call(*view);
    }
}

// The program folder, with its trailing '/'.
std::string Folder();
// Ends the run and tells the player why.
void CloseWithMessage(const std::string& text);

}  // namespace pk::updatesession
