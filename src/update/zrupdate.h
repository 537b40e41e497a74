#pragma once
// The update client: when a server says the client is out of date, it talks
// to an update server, downloads "patch.tmp" and hands it to the patch
// applier (zrpatch.h); it also shows the release notes after an upgrade.
//
// Protocol (TCP, not scrambled): every message either way is text ending in
// the byte 0x01, a keyword, a blank and blank-separated arguments.
//   client: "update <build>"      on connect
//   server: "start <total> <crc>" the file follows: every byte after this
//                                 message's 0x01, up to total bytes
//   server: "redirect <host> <port>"
//   server: "error <text>"
//
// The session is headless: it owns the socket and the run's state
// (ClientState.update) and draws through an UpdateView, which the dialog
// (update/ui) implements and tests fake. Socket events arrive from the event
// loop; nothing here nests an event loop. The run is zrupdate.cpp, the upgrade after a
// download and the release notes zrupgrade.cpp.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pk {

class TZRSock;

enum UpdatePhase : std::uint8_t {
    UpdateConnecting = 0,
    UpdateConnected = 1,
    UpdateIdle = 2,  // no run, or only the release notes shown
};

inline constexpr char UpdateMessageEnd = '\x01';

inline constexpr const char* UpdateServerDownText = "Update server is down.  Try logging in later.";
inline constexpr const char* UpdateDisconnectedText =
    "Update server has disconnected you.  Try updating again later.";
inline constexpr const char* UpgradeFailedText =
    "There was an error upgrading to the new client version.  Try reinstalling Pelkorin.";
inline constexpr const char* NoVersionsFileText = "No versions file exists!";

// Where the release notes go: lines of bytes with their style codes. A stand-in
// shows them until the chat text box takes its place.
class UpdateNotesView {
public:
    virtual ~UpdateNotesView() = default;
    virtual void Clear() = 0;
    virtual void AddLine(const std::string& line) = 0;
    // Scrolls so that `line` (0 the first) is at the top, the caret at its start.
    virtual void ScrollToLine(int line) = 0;
};

// The "Pelkorin Update" dialog as the session sees it.
class UpdateView {
public:
    virtual ~UpdateView() = default;
    // Download form (progress box and "Cancel Update") or notes form
    // (message box and "Finish").
    virtual void Arrange(bool download) = 0;
    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetProgressMaximum(int maximum) = 0;
    virtual void SetProgress(int position) = 0;
    virtual void SetTimeLeft(const std::string& text) = 0;
    virtual void SetReceivedBytes(const std::string& text) = 0;
    virtual UpdateNotesView& Notes() = 0;
    virtual bool IsShown() const = 0;
    // Centred on the screen and brought to the front; modal keeps the other
    // windows from input (without a nested event loop). Not modal: the focus
    // goes to the notes and then to "Finish".
    virtual void ShowCentred(bool modal) = 0;
    virtual void CloseDialog() = 0;
    // Paints now: the applier works inside one event.
    virtual void Repaint() = 0;
};

// What the session needs from the rest of the program.
class UpdateHost {
public:
    virtual ~UpdateHost() = default;
    // The folder of the client's program, with a trailing '/'.
    virtual std::string ProgramFolder();
    // The client's own program file, started again by the updater.
    virtual std::string ClientProgram();
    // Whether the stored version differed from this one at start-up.
    virtual bool VersionChanged();
    virtual void ShowMessage(const std::string& text);
    // The main window's id, passed to the updater.
    virtual std::string MainWindowId();
    virtual bool StartUpdater(const std::string& program, const std::vector<std::string>& arguments,
                              const std::string& folder);
    // The updater runs once the client has exited: close the program in order.
    virtual void CloseForUpgrade();
    virtual std::int64_t Seconds();
    virtual void RunLater(std::function<void()> work);
};

UpdateHost& UpdateHostRef();
void SetUpdateHost(UpdateHost* host);  // nullptr restores the default
// The dialog; nullptr leaves the session without one (it then draws nowhere).
void SetUpdateView(UpdateView* view);
UpdateView* UpdateViewPtr();

// The socket of the update client (`updatesock`); created on first use.
TZRSock& UpdateSock();

void UpdateStart(const std::string& host, const std::string& port);
void ShowVersions();
void UpdateClose();
void UpdateDisconnect();
void UpdateSendRaw(const std::string& data, bool flush);
void UpdateSendMessage(const std::string& keyword, const std::string& arguments);
void UpdateDispatch(const std::string& keyword, const std::string& arguments);
void UpdateDialogLayout(bool download);
// Bytes from the update server while a run is on: taken as messages, then as the patch file's
// data. The socket's data event hands each read here; the fuzz target feeds bytes straight in.
void UpdateReceiveBytes(const std::string& bytes);
// Applies a completely received patch (zrpatch.h) and starts the updater.
void UpdateApplyPatch(const std::string& path, std::int32_t expectedCrc);

void updatesockSessionConnected(TZRSock* sender, int socket);
void updatesockDataAvailable(TZRSock* sender, int socket);
void updatesockDataNeeded(TZRSock* sender, int socket);
void updatesockErrorOccurred(TZRSock* sender, int socket, int error, const std::string& funcName,
                             const std::string& message);
void updatesockSessionClosed(TZRSock* sender, int socket);

// "Time Left: " and the hours, minutes and seconds.
std::string TimeLeftText(std::int64_t seconds);
// Seconds left at the rate so far: (total - received) / (received / elapsed).
std::int64_t SecondsLeft(std::int64_t received, std::int64_t total, std::int64_t elapsed);

// Makes this update client the one the shell calls: "-showver" shows the
// release notes, and the game link's "update" reply starts a run.
void InstallUpdateClient();

// Drops the connection and every field of the run, closes the dialog without
// touching files; for tests and shutdown.
void ResetUpdateClient();

}  // namespace pk
