#include "update/zrupdate.h"

#include <memory>
#include <optional>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "core/zrversion.h"
#include "game/zrgame.h"
#include "net/zrsock.h"
#include "platform/atomicfile.h"
#include "platform/confinedfs.h"
#include "platform/process.h"
#include "shell/zrshell.h"
#include "shell/zrupdatehooks.h"
#include "update/zrpatch.h"
#include "update/zrupdatefiles.h"
#include "update/zrupdatesession.h"

namespace pk {

// The one update session (zrupdatesession.h).
using namespace updatesession;

namespace updatesession {

UpdateSession& Session() {
    static UpdateSession session;
    return session;
}

tupdateclient& Run() {
    return ClientState.update;
}

std::string Folder() {
    return FolderText(UpdateHostRef().ProgramFolder());
}

// Ends the run and tells the player why.
void CloseWithMessage(const std::string& text) {
    UpdateClose();
    UpdateHostRef().ShowMessage(text);
}

}  // namespace updatesession

namespace {

UpdateHost& DefaultHost() {
    static UpdateHost host;
    return host;
}

void ShowDownloadProgress() {
    tupdateclient& run = Run();
    const std::int64_t elapsed = UpdateHostRef().Seconds() - run.StartTime;
    View([&](UpdateView& v) {
        v.SetProgress(run.ReceivedBytes);
        v.SetTimeLeft(TimeLeftText(SecondsLeft(run.ReceivedBytes, run.TotalBytes, elapsed)));
        v.SetReceivedBytes(std::to_string(run.ReceivedBytes) + "/" +
                           std::to_string(run.TotalBytes) + " bytes");
    });
}

void CompleteDownload() {
    tupdateclient& run = Run();
    const std::string path = run.PatchPath;
    const std::int32_t crc = run.ExpectedCrc;
    const bool written = Session().patchFile.Close();
    const std::int32_t total = run.TotalBytes;
    run.PatchPath.clear();
    run.StartTime = 0;
    run.TotalBytes = 0;
    run.ReceivedBytes = 0;
    run.ExpectedCrc = 0;
    run.Downloading = 0;
    View([&](UpdateView& v) {
        v.SetProgress(total);
        v.SetTimeLeft("");
        v.SetReceivedBytes("");
        v.SetStatus("Downloading complete!");
    });
    UpdateDisconnect();
    if (!written) {
        CloseWithMessage(std::string(DownloadErrorText));
        return;
    }
    UpdateApplyPatch(path, crc);
}

// Writes what the buffer holds of the file; false when the run ended.
bool TakeFileData() {
    tupdateclient& run = Run();
    const std::size_t want = static_cast<std::size_t>(run.TotalBytes - run.ReceivedBytes);
    const std::size_t n = std::min(want, run.ReceiveBuffer.size());
    if (!Session().patchFile.Write(std::string_view(run.ReceiveBuffer.data(), n))) {
        AddLogLine("Update: cannot write " + run.PatchPath);
        CloseWithMessage(std::string(DownloadErrorText));
        return false;
    }
    run.ReceivedBytes += static_cast<std::int32_t>(n);
    run.ReceiveBuffer.erase(0, n);
    if (run.ReceivedBytes >= run.TotalBytes) {
        CompleteDownload();
        return false;
    }
    if (UpdateHostRef().Seconds() > run.StartTime && run.ReceivedBytes > 0) {
        ShowDownloadProgress();
    }
    return true;
}

// Dispatches the complete messages in the buffer; false when no complete
// message is left or the run ended.
bool TakeMessages() {
    tupdateclient& run = Run();
    const std::size_t end = run.ReceiveBuffer.find(UpdateMessageEnd);
    if (end == std::string::npos) {
        if (run.ReceiveBuffer.size() > MaxUpdateTextSize) {
            AddLogLine("Update: the server sent text without an end");
            CloseWithMessage(std::string(DownloadErrorText));
        }
        return false;
    }
    const std::string message = run.ReceiveBuffer.substr(0, end);
    run.ReceiveBuffer.erase(0, end + 1);
    if (!message.empty()) {
        UpdateDispatch(LowerCase(WordAt(1, message)), RestFromWord(2, message));
    }
    return run.Phase != UpdateIdle;
}

// The start of a run, also from a redirect (which keeps the dialog).
void StartRun(const std::string& host, const std::string& port) {
    tupdateclient& run = Run();
    TZRSock& sock = UpdateSock();
    sock.IPAddr = host;
    sock.Port = port;
    UpdateDialogLayout(true);
    run.PatchPath.clear();
    run.TotalBytes = 0;
    run.StartTime = 0;
    run.ReceivedBytes = 0;
    run.Downloading = 0;
    run.ReceiveBuffer.clear();
    run.SendQueue.clear();
    run.Phase = UpdateConnecting;
    run.RestartPending = 0;
    run.Busy = 0;
    int socket = -1;
    sock.Connect(socket);
    run.Connection = socket;
}

void FollowRedirect(const std::string& host, const std::string& port) {
    tupdateclient& run = Run();
    if (run.Redirects >= MaxUpdateRedirects) {
        AddLogLine("Update: too many redirects");
        CloseWithMessage(UpdateServerDownText);
        return;
    }
    const int redirects = run.Redirects + 1;
    UpdateDisconnect();
    const std::uint64_t generation = ++Session().generation;
    // Started from the event loop, never from inside this socket event.
    UpdateHostRef().RunLater([generation, redirects, host, port] {
        ReportErrors("UpdateStart", [&] {
            if (Session().generation != generation) {
                return;  // the run was closed meanwhile
            }
            LogErrorsWith([&] { return "UpdateStart " + host + " " + port; },
                          [&] { StartRun(host, port); });
            Run().Redirects = redirects;
        });
    });
}

bool OurSocket(int socket) {
    return socket == Run().Connection && socket > 0;
}

}  // namespace

// ---- Host defaults -------------------------------------------------------

std::string UpdateHost::ProgramFolder() {
    if (!pk::ProgramFolder.empty()) {
        return FolderText(pk::ProgramFolder);
    }
    const std::string program = ExecutablePath();
    const auto slash = program.rfind('/');
    return slash == std::string::npos ? std::string("./") : program.substr(0, slash + 1);
}
std::string UpdateHost::ClientProgram() {
    return ExecutablePath();
}
bool UpdateHost::VersionChanged() {
    return pk::VersionChanged;
}
void UpdateHost::ShowMessage(const std::string& text) {
    MainWindow().ShowMessage(text);
}
std::string UpdateHost::MainWindowId() {
    return "0";
}
bool UpdateHost::StartUpdater(const std::string& program, const std::vector<std::string>& arguments,
                              const std::string& folder) {
    return StartDetached(program, arguments, folder);
}
void UpdateHost::CloseForUpgrade() {
    MainWindow().CloseWindow();
}
std::int64_t UpdateHost::Seconds() {
    return static_cast<std::int64_t>(SecondClock());
}
void UpdateHost::RunLater(std::function<void()> work) {
    RunFromEventLoop(std::move(work));
}

UpdateHost& UpdateHostRef() {
    return Session().host ? *Session().host : DefaultHost();
}
void SetUpdateHost(UpdateHost* host) {
    Session().host = host;
}
void SetUpdateView(UpdateView* view) {
    Session().view = view;
}
UpdateView* UpdateViewPtr() {
    return Session().view;
}

TZRSock& UpdateSock() {
    UpdateSession& s = Session();
    if (!s.sock) {
        s.sock = std::make_unique<TZRSock>();
        s.sock->Timeout = ConnectTimeoutSeconds;
        s.sock->OnSessionConnected = updatesockSessionConnected;
        s.sock->OnDataAvailable = updatesockDataAvailable;
        s.sock->OnDataNeeded = updatesockDataNeeded;
        s.sock->OnErrorOccurred = updatesockErrorOccurred;
        s.sock->OnSessionClosed = updatesockSessionClosed;
    }
    return *s.sock;
}

// ---- The run -------------------------------------------------------------

void UpdateDialogLayout(bool download) {
    View([&](UpdateView& v) {
        v.SetStatus(download ? "Contacting update server at " + UpdateSock().IPAddr + "..." : "");
        v.SetProgress(0);
        v.SetTimeLeft("");
        if (download) {
            v.Notes().Clear();
        }
        v.Arrange(download);
    });
}

void UpdateStart(const std::string& host, const std::string& port) {
    LogErrorsWith([&] { return "UpdateStart " + host + " " + port; },
                  [&] {
                      if (Session().view && Session().view->IsShown()) {
                          if (!UpdateHostRef().VersionChanged()) {
                              UpdateHostRef().ShowMessage(UpgradeFailedText);
                              return;
                          }
                          if (Run().Phase != UpdateIdle) {
                              UpdateDisconnect();
                          }
                          View([](UpdateView& v) { v.CloseDialog(); });
                      }
                      ++Session().generation;
                      Run().Redirects = 0;
                      StartRun(host, port);
                      View([](UpdateView& v) { v.ShowCentred(true); });
                  });
}

void UpdateDisconnect() {
    tupdateclient& run = Run();
    run.Phase = UpdateIdle;
    if (run.Connection > 0) {
        UpdateSock().Disconnect(run.Connection);
    }
    run.Connection = -1;
    run.ReceiveBuffer.clear();
    run.SendQueue.clear();
    run.PatchPath.clear();
    run.TotalBytes = 0;
    run.StartTime = 0;
    run.ReceivedBytes = 0;
    run.ExpectedCrc = 0;
    run.Downloading = 0;
    Session().patchFile.Close();
}

void UpdateClose() {
    tupdateclient& run = Run();
    if (run.Phase != UpdateIdle) {
        UpdateDisconnect();
    }
    Session().patchFile.Close();
    ++Session().generation;
    run.Redirects = 0;
    const std::string folder = Folder();
    if (run.RestartPending == 0) {
        RemoveFileOnly(folder + std::string(QueueFileName));
        RemoveTempFolder(folder + std::string(TempFolderName));
    }
    RemoveFileOnly(folder + std::string(PatchFileName));
    View([](UpdateView& v) { v.CloseDialog(); });
}

void UpdateSendRaw(const std::string& data, bool flush) {
    tupdateclient& run = Run();
    if (!run.SendQueue.empty() && !flush) {
        run.SendQueue += data;
        return;
    }
    const int accepted = UpdateSock().sendstring(run.Connection, data);
    run.SendQueue = data.substr(
        std::min<std::size_t>(static_cast<std::size_t>(std::max(accepted, 0)), data.size()));
}

void UpdateSendMessage(const std::string& keyword, const std::string& arguments) {
    UpdateSendRaw(keyword + " " + arguments + std::string(1, UpdateMessageEnd), false);
}

void UpdateDispatch(const std::string& keyword, const std::string& arguments) {
    tupdateclient& run = Run();
    if (keyword == "start") {
        // A size word that is there but no number in the 32-bit range ends the run: read as
        // 0 bytes it would apply an empty patch and restart the client for nothing. Without
        // the word the download is empty.
        const std::string sizeWord = WordAt(1, arguments);
        const std::optional<std::int32_t> size =
            sizeWord.empty() ? std::optional<std::int32_t>(0) : ParseInt(sizeWord);
        if (!size || *size < 0 || *size > MaxPatchSize) {
            AddLogLine("Update: the server announced " + sizeWord.substr(0, 32) + " bytes");
            CloseWithMessage(std::string(DownloadErrorText));
            return;
        }
        const std::int32_t total = *size;
        const std::int32_t crc = ParseInt(WordAt(2, arguments)).value_or(0);
        run.PatchPath = Folder() + std::string(PatchFileName);
        Session().patchFile.Close();
        if (!Session().patchFile.Recreate(run.PatchPath)) {
            AddLogLine("Update: cannot create " + run.PatchPath);
            CloseWithMessage(std::string(DownloadErrorText));
            return;
        }
        run.StartTime = static_cast<std::int32_t>(UpdateHostRef().Seconds());
        run.TotalBytes = total;
        run.ReceivedBytes = 0;
        run.ExpectedCrc = crc;
        run.Downloading = 1;
        View([&](UpdateView& v) {
            v.SetProgressMaximum(total);
            v.SetStatus("Downloading patch file...");
        });
        if (total == 0) {
            CompleteDownload();
        }
    } else if (keyword == "redirect") {
        FollowRedirect(WordAt(1, arguments), WordAt(2, arguments));
    } else if (keyword == "error") {
        CloseWithMessage(arguments);
    }
}

// ---- Socket events -------------------------------------------------------

namespace {

void updatesockSessionConnectedBody(TZRSock*, int socket) {
    if (!OurSocket(socket)) {
        return;
    }
    UpdateSendMessage("update", std::to_string(ClientBuild));
    Run().Phase = UpdateConnected;
}

void updatesockDataAvailableBody(TZRSock* sender, int socket) {
    if (Run().Phase == UpdateIdle || !OurSocket(socket)) {
        return;
    }
    std::string chunk;
    sender->getstring(socket, chunk);
    UpdateReceiveBytes(chunk);
}

}  // namespace

void UpdateReceiveBytes(const std::string& bytes) {
    tupdateclient& run = Run();
    if (run.Phase == UpdateIdle) {
        return;
    }
    run.ReceiveBuffer += bytes;
    if (run.Busy) {
        return;  // the call already running takes these bytes too
    }
    run.Busy = 1;
    struct BusyReset {
        ~BusyReset() { Run().Busy = 0; }
    } reset;
    while (!run.ReceiveBuffer.empty() && run.Phase != UpdateIdle) {
        const bool more = run.Downloading ? TakeFileData() : TakeMessages();
        if (!more) {
            break;
        }
    }
}

namespace {

void updatesockDataNeededBody(TZRSock*, int socket) {
    if (OurSocket(socket) && !Run().SendQueue.empty()) {
        UpdateSendRaw(Run().SendQueue, true);
    }
}

void updatesockErrorOccurredBody(TZRSock* sender, int socket, int error, const std::string&,
                                 const std::string& message) {
    if (!OurSocket(socket)) {
        return;
    }
    if (message == "Not a WinSock error" || error == 10057 || error == 10038 || error == 10035) {
        return;
    }
    sender->PostClose(socket);
}

void updatesockSessionClosedBody(TZRSock*, int socket) {
    if (!OurSocket(socket)) {
        return;
    }
    switch (Run().Phase) {
        case UpdateConnecting:
            CloseWithMessage(UpdateServerDownText);
            break;
        case UpdateConnected:
            CloseWithMessage(UpdateDisconnectedText);
            break;
        default:
            break;
    }
}

}  // namespace

// Each event is an entry from the event loop: nothing may escape it.
void updatesockSessionConnected(TZRSock* sender, int socket) {
    ReportErrors("updatesockSessionConnected", [&] {
        LogErrors("updatesockSessionConnected",
                  [&] { updatesockSessionConnectedBody(sender, socket); });
    });
}

void updatesockDataAvailable(TZRSock* sender, int socket) {
    ReportErrors("updatesockDataAvailable", [&] {
        LogErrors("updatesockDataAvailable", [&] { updatesockDataAvailableBody(sender, socket); });
    });
}

void updatesockDataNeeded(TZRSock* sender, int socket) {
    ReportErrors("updatesockDataNeeded", [&] {
        LogErrors("updatesockDataNeeded", [&] { updatesockDataNeededBody(sender, socket); });
    });
}

void updatesockErrorOccurred(TZRSock* sender, int socket, int error, const std::string& funcName,
                             const std::string& message) {
    ReportErrors("updatesockErrorOccurred", [&] {
        LogErrors("updatesockErrorOccurred",
                  [&] { updatesockErrorOccurredBody(sender, socket, error, funcName, message); });
    });
}

void updatesockSessionClosed(TZRSock* sender, int socket) {
    ReportErrors("updatesockSessionClosed", [&] {
        LogErrors("updatesockSessionClosed", [&] { updatesockSessionClosedBody(sender, socket); });
    });
}

// ---- Display -------------------------------------------------------------

std::int64_t SecondsLeft(std::int64_t received, std::int64_t total, std::int64_t elapsed) {
    if (received <= 0 || elapsed <= 0 || total <= received) {
        return 0;
    }
    const double rate = static_cast<double>(received) / static_cast<double>(elapsed);
    return static_cast<std::int64_t>(static_cast<double>(total - received) / rate);
}

std::string TimeLeftText(std::int64_t seconds) {
    std::string text = "Time Left: ";
    bool written = false;
    if (seconds < 0) {
        seconds = 0;
    }
    if (const std::int64_t h = seconds / 3600; h > 0) {
        text += std::to_string(h) + (h == 1 ? " hour " : " hours ");
        written = true;
        seconds %= 3600;
    }
    if (const std::int64_t m = seconds / 60; m > 0) {
        text += std::to_string(m) + (m == 1 ? " minute " : " minutes ");
        written = true;
        seconds %= 60;
    }
    if (seconds > 0 || !written) {
        text += std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
    }
    return text;
}

namespace {

class ShellUpdateClient final : public ShellUpdate {
public:
    void ShowVersions() override { pk::ShowVersions(); }
    void StartUpdateClient(const std::string& host, int port) override {
        UpdateStart(host, std::to_string(port));
    }
};

}  // namespace

void InstallUpdateClient() {
    static ShellUpdateClient client;
    SetShellUpdate(&client);
}

void ResetUpdateClient() {
    tupdateclient& run = Run();
    if (run.Connection > 0 && Session().sock) {
        Session().sock->Disconnect(run.Connection);
    }
    Session().patchFile.Close();
    ++Session().generation;
    run = tupdateclient{};
    View([](UpdateView& v) { v.CloseDialog(); });
}

}  // namespace pk
