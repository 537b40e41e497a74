// The client's life cycle, headless: the main window's creation and close, the start-up that
// runs once every window exists, the application's exception handler with its error report to
// the game server, and the gate every theme sound passes. The main window (src/shell/ui)
// implements ShellWindow and calls in here; tests drive the same routines with a fake window.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "shell/zrconfig.h"

namespace pk {

struct TZRTheme;

inline constexpr std::string_view ApplicationTitle = "Pelkorin";
inline constexpr std::string_view ErrorMessageText =
    "An error has occurred in Pelkorin.  Please restart.";
inline constexpr std::string_view NotConnectedHint = "Not connected!";
inline constexpr std::string_view ConfigFileName = "pelkorin.cfg";
// Message type of the error report.
inline constexpr std::uint8_t MsgErrorReport = 0x27;

// A window's place on the screen.
struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// What the life cycle asks of the main window and the windows it owns. Every call has a
// default that does nothing, for headless runs.
class ShellWindow {
public:
    virtual ~ShellWindow() = default;
    virtual void SetCaption(const std::string& caption) { (void)caption; }
    virtual void SetApplicationTitle(const std::string& title) { (void)title; }
    virtual void SetTrayHint(const std::string& hint) { (void)hint; }
    virtual void RemoveTrayIcon() {}
    // Window size minus client size.
    virtual void NonClientSize(int& width, int& height) { width = height = 0; }
    virtual void ShowWindow() {}
    // Asks the window to close; the close handler runs from the event loop, not inside.
    virtual void CloseWindow() {}
    // A modal message box.
    virtual void ShowMessage(const std::string& text) { (void)text; }
    virtual void SetEnabled(bool enabled) { (void)enabled; }
    virtual void SetTimedTimer(bool running) { (void)running; }
    virtual void SetGameEndTimer(bool running) { (void)running; }
    // Placement: the normal (not maximised) rectangle, whether maximised, the screen's size.
    virtual WindowRect Placement() { return {}; }
    virtual bool Maximised() { return false; }
    virtual WindowRect Screen() { return {}; }
    virtual void SetPlacement(const WindowRect& rect) { (void)rect; }
    virtual void SetFullScreen(bool on) { (void)on; }
    virtual bool Minimised() { return false; }
    // The screen's work area (without the panels of the desktop).
    virtual WindowRect WorkArea() { return Screen(); }
    // Shows the tray icon; false when the desktop has no notification area.
    virtual bool AddTrayIcon() { return false; }
    // Takes the minimised window off the taskbar (it is in the notification area now).
    virtual void HideToTray() {}
    // The theme page's preview after a theme was applied.
    virtual void RefreshThemePreview() {}
    // The "Loading Theme..." window.
    virtual void ShowLoading() {}
    virtual void LoadingProgress(int position, int maximum) {
        (void)position;
        (void)maximum;
    }
    virtual void HideLoading() {}
    // The login page's message-of-the-day page: stopped when busy, then loaded again.
    virtual void ReloadMotd() {}
    // Opens an address with the system's web browser.
    virtual void OpenUrl(const std::string& url) { (void)url; }
    // Applies a freshly loaded theme to the client; false with `message` when it cannot.
    virtual bool ApplyTheme(std::string& message);
};

// The installed main window; never null (a headless one answers until one is installed).
ShellWindow& MainWindow();
void SetShellWindow(ShellWindow* window);

// ---- globals of the life cycle

// 1 from the start of the close: gravity, key input and socket error reports stop.
extern std::atomic<std::uint8_t> ClosingDown;
// 1 once the first exception has been reported.
extern std::uint8_t ErrorReported;
// 1 when an error was reported while a server link was up: the client closes once both links
// are down.
extern std::uint8_t CloseAfterError;
extern int NonClientWidth;
extern int NonClientHeight;
// The executable's folder: configuration, game sets, theme libraries and temporary music files.
extern std::filesystem::path ProgramFolder;

// ---- life cycle

// The main window's creation, before any other window exists.
void ShellFormCreate();
// After every window exists: the master server, the configuration, the window, the command
// line (without the program's name). False when no theme could be loaded, or an exception
// stopped it before the window was shown: nothing is shown and no option runs; the caller ends
// the program (the close still runs). An exception is reported as any other.
bool StartUp(const std::vector<std::string>& arguments);
// The main window's close. Runs once; every step is guarded, so the threads always stop and
// the configuration is saved whenever start-up got to load it.
void ShellFormClose();
bool ShellClosed();

// The application's exception handler: logs, reports the first exception to the game server
// and tells the player. The main window installs it as the report policy's handler
// (`SetErrorReporter`, core/zrlog.h), so `ReportErrors` at every entry from the event loop ends
// here.
void ReportException(const std::string& message, const std::string& detail = {});
void ReportException(std::exception_ptr error);

// Closes the client when an earlier error asked for it and no server link is left. Called
// after a game or lobby disconnect.
void CloseIfErrorPending();

// A TXSettings holding the one pair ("e", text), compressed.
std::string PackErrorText(const std::string& text);
// The error report's payload: the packed text, with the oldest part of the text cut until it
// is at most `limit` bytes.
std::string PackErrorReport(const std::string& text, std::size_t limit);

// Plays a theme sound when sound is on.
void PlayThemeSound(std::string_view name, bool stopOthers, const TZRTheme& theme);
void PlayThemeSound(std::string_view name, bool stopOthers = true);

// Brings the interface up to date after the aspect `state` changed (UiStateId; 0 runs states 2
// to 8): the skin event of each state and its effects on the windows (zruistate.h).
void SetUIState(int state, bool on);

// Applies the loaded theme to the client (ShellWindow::ApplyTheme's work): the metrics, the
// skins, the display elements, the icons and every interface state; false with the message
// when the theme cannot be used.
bool ApplyThemeToClient(std::string& message);

}  // namespace pk
