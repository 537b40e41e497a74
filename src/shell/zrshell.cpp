#include "shell/zrshell.h"

#include <exception>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "core/zrconst.h"
#include "core/zrgamesetlist.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "core/zrversion.h"
#include "core/zrxsettings.h"
#include "display/zrfieldbitmaps.h"
#include "display/zrfieldpaint.h"
#include "game/zrfmqueue.h"
#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "game/zrkey.h"
#include "game/zrowngame.h"
#include "room/zrgamelink.h"
#include "room/zrroomhost.h"
#include "room/zrsbgame.h"
#include "shell/zraudiohooks.h"
#include "shell/zrcmdline.h"
#include "shell/zrconfigfile.h"
#include "shell/zrlobbyhooks.h"
#include "shell/zrskinhooks.h"
#include "shell/zrthemesel.h"
#include "shell/zrupdatehooks.h"
#include "shell/zrwiring.h"

namespace pk {

std::atomic<std::uint8_t> ClosingDown{0};
std::uint8_t ErrorReported = 0;
std::uint8_t CloseAfterError = 0;
int NonClientWidth = 0;
int NonClientHeight = 0;
std::filesystem::path ProgramFolder;

namespace {

ShellWindow headlessWindow;
ShellWindow* window = &headlessWindow;
std::unique_ptr<TGameThread> gameThread;

enum class CloseState { Open, Closing, Closed };
CloseState closeState = CloseState::Open;
// Set once LoadConfig got through: a start that failed before has nothing to save, and saving
// then would replace the player's file with defaults.
bool configLoaded = false;

std::string ExceptionText(std::exception_ptr error) {
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
    }
    return "unknown exception";
}

// The own game as it stood, for the error report.
void LogGameState() {
    const tmegame& g = ClientState.game;
    const std::string name = GameHost().PlayerName();
    if (g.Spectating) {
        AddLogLine("IS: " + name + ":" + std::to_string(g.OwnSlot));
        return;
    }
    std::string field;
    if (g.OwnPlayer && g.OwnPlayer->plr)
        field = g.OwnPlayer->plr->field;
    AddLogLine("IP: " + name + ":" + std::to_string(g.OwnSlot) + ":" + g.CurrentPiece + ":" +
               g.NextPieceToken + ":" + g.HoldToken + ":" + g.UpcomingPieces + ":" +
               std::to_string(g.PieceX) + ":" + std::to_string(g.PieceY) + ":" + g.Inventory + ":" +
               field);
    AddLogLine("PH: " + g.PieceLog);
}

// The report goes out only once the link carries frames: a frame in the text phase would
// break the protocol.
void SendErrorReport() {
    if (!GameLink.GameSendKey.set || !GameLink.GameRecvKey.set)
        return;
    SendGameMessage(MsgErrorReport, PackErrorReport(ClientLog(), MaxGameFrameBody - 1));
}

// Runs one teardown step; a failure is logged and the close goes on.
template <class Step>
void CloseStep(const char* name, Step&& step) {
    LogAndGoOnWith(
        [name] {
            return std::string("FormClose ") + name + ": " +
                   ExceptionText(std::current_exception());
        },
        std::forward<Step>(step));
}

void RunCommandLine(const std::vector<std::string>& arguments) {
    const CommandLine line = ParseCommandLine(arguments);
    switch (line.option) {
        case CommandLineOption::None:
            break;
        case CommandLineOption::MasterServer:
            Lobby().SetMasterServer(line.first, line.port);
            break;
        case CommandLineOption::Connect:
            Config.serveraddress = line.first;
            if (!line.second.empty())
                Config.accountname = line.second;
            Skins().ExecuteCommand("gameconnect");
            break;
        case CommandLineOption::ShowVersions:
            Update().ShowVersions();
            break;
        case CommandLineOption::ShowVersionsLogin:
            Config.accountname = line.first;
            Config.accountpass = line.second;
            Skins().ExecuteCommand("login");
            Update().ShowVersions();
            break;
        case CommandLineOption::NoHighResTimer:
            NoHighResTimer = 1;
            break;
    }
}

}  // namespace

bool ShellWindow::ApplyTheme(std::string& message) {
    return ApplyThemeToClient(message);
}

ShellWindow& MainWindow() {
    return *window;
}
void SetShellWindow(ShellWindow* w) {
    window = w ? w : &headlessWindow;
}

std::string PackErrorText(const std::string& text) {
    TXSettings record;
    record.SetValue("e", text);
    return record.SaveToCompressed();
}

std::string PackErrorReport(const std::string& text, std::size_t limit) {
    std::string_view kept = text;
    std::string packed = PackErrorText(text);
    while (packed.size() > limit && !kept.empty()) {
        kept.remove_prefix(kept.size() - kept.size() / 2);  // the newest half stays
        packed = PackErrorText(std::string(kept));
    }
    return packed.size() <= limit ? packed : std::string();
}

void PlayThemeSound(std::string_view name, bool stopOthers, const TZRTheme& theme) {
    if (!Settings.options.soundon)
        return;
    PlayLibrarySound(name, stopOthers, theme,
                     [](std::string wav, bool stop) { Audio().PlaySound(std::move(wav), stop); });
}

void PlayThemeSound(std::string_view name, bool stopOthers) {
    PlayThemeSound(name, stopOthers, Settings.theme);
}

void ReportException(const std::string& message, const std::string& detail) {
    AddLogLine("Exception: " + message + " " + detail);
    if (ErrorReported)
        return;
    ErrorReported = 1;
    const uint8_t gameLink = ClientState.game.GameLinkState;
    if (gameLink == LinkInRoom)
        LogGameState();
    if (gameLink != LinkDown)
        SendErrorReport();
    if (gameLink == LinkDown && Lobby().LobbyLinkState() == 2) {
        MainWindow().ShowMessage(std::string(ErrorMessageText));
        MainWindow().CloseWindow();
    } else {
        CloseAfterError = 1;
        MainWindow().ShowMessage(std::string(ErrorMessageText));
    }
}

void ReportException(std::exception_ptr error) {
    std::string detail;
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const std::system_error& e) {
        detail = "C: " + std::to_string(e.code().value());
    } catch (...) {
    }
    ReportException(ExceptionText(error), detail);
}

void CloseIfErrorPending() {
    if (CloseAfterError && ClientState.game.GameLinkState == LinkDown &&
        Lobby().LobbyLinkState() == 2 && ClosingDown.load() == 0)
        MainWindow().CloseWindow();
}

void ShellFormCreate() {
    closeState = CloseState::Open;
    configLoaded = false;
    NoHighResTimer = 0;
    ClearClientLog();
    ShellWindow& w = MainWindow();
    w.SetCaption(std::string(ProgramCaption));
    w.SetApplicationTitle(std::string(ApplicationTitle));
    FieldWidth = 12;
    FieldHeight = 22;
    BlockSize = 16;
    SmallBlockSize = 8;
    w.NonClientSize(NonClientWidth, NonClientHeight);
    ClosingDown = 0;
    ErrorReported = 0;
    w.SetTrayHint(std::string(NotConnectedHint));
    KeyTableBusy = 0;
    CloseAfterError = 0;
    Lobby().CreateLobbyState();
    ClientState.game.GameLinkState = LinkDown;
    ClientState.shell = tmeshell{};
    SlotPlayers.fill(nullptr);
    Audio().CreateAudio();
    FreeTheme(Settings.theme);
    FreeThemeSelection();
    CreatePlayerFieldBitmaps();
    ClearGameSets();
    Lobby().CreateRegionList();
    gameThread = std::make_unique<TGameThread>();
    gameThread->SetErrorHandler([](std::exception_ptr e) { ReportException(e); });
    GameThread = gameThread.get();
    ResetGame();
    ResetGameLink();
    InitPlayerSlots();
    Skins().InitSkins();
    InitEventQueue();
    FreePendingHistory();
    InstallGameWiring();
    gameThread->Start();
}

bool StartUp(const std::vector<std::string>& arguments) {
    // Start-up runs before the message loop, where no handler would catch what escapes.
    bool shown = false;
    try {
        Lobby().SetMasterServer(DefaultMasterServerHost, DefaultMasterServerPort);
        const bool themed = LoadConfig(ProgramFolder / ConfigFileName);
        configLoaded = true;
        if (!themed)
            return false;
        MainWindow().ShowWindow();
        shown = true;
        RunCommandLine(arguments);
    } catch (...) {
        ReportException(std::current_exception());
    }
    return shown;
}

bool ShellClosed() {
    return closeState == CloseState::Closed;
}

void ShellFormClose() {
    if (closeState != CloseState::Open)
        return;  // a second close request while the first runs, or after it
    closeState = CloseState::Closing;
    ClosingDown = 1;
    CloseStep("music", [] { Audio().MusicStopRequest(); });
    CloseStep("links", [] {
        if (ClientState.game.GameLinkState != LinkDown)
            GameDisconnect();
    });
    CloseStep("lobby", [] {
        if (Lobby().LobbyLinkState() != 2)
            Lobby().LobbyDisconnect(false);
    });
    CloseStep("tray", [] { MainWindow().RemoveTrayIcon(); });
    CloseStep("game thread", [] {
        if (gameThread)
            gameThread->Stop();
        GameThread = nullptr;
        gameThread.reset();
    });
    CloseStep("audio", [] { Audio().FreeAudio(); });
    CloseStep("SaveConfig", [] {
        if (configLoaded)
            SaveConfig(ProgramFolder / ConfigFileName);
    });
    CloseStep("lists", [] {
        ClearGameSets();
        FreePendingHistory();
        Lobby().FreeLobbyState();
    });
    CloseStep("records", [] {
        Skins().FreeSkins();
        FreeEventQueue();
        FreePlayerSlots();
        UninstallSpecialBlocks();
    });
    CloseStep("theme page", [] { FreeThemeSelection(); });
    CloseStep("fields", [] { FreePlayerFieldBitmaps(); });
    CloseStep("music files", [] {
        std::error_code ec;
        std::filesystem::remove(ProgramFolder / "tmp.mid", ec);
        std::filesystem::remove(ProgramFolder / "tmp.mp3", ec);
    });
    CloseStep("theme", [] { FreeTheme(Settings.theme); });
    CloseStep("wiring", [] { RemoveGameWiring(); });
    closeState = CloseState::Closed;
}

}  // namespace pk
