#include "shell/ui/zrmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "core/zrversion.h"
#include "game/zrgame.h"
#include "game/zrkey.h"
#include "platform/cp1252.h"
#include "platform/keyfilter.h"
#include "platform/shellopen.h"
#include "room/zrroomhost.h"
#include "room/zrsbgame.h"
#include "shell/ui/zrforms.h"
#include "shell/ui/zrloadtheme.h"
#include "shell/ui/zrtraybar.h"
#include "shell/zrskinwiring.h"
#include "shell/zruistate.h"
#include "skin/ui/zrskinwidgets.h"

namespace pk {

Tzrmain* zrmain = nullptr;

namespace {

constexpr int TimedSpecialsIntervalMs = 500;
constexpr int GameEndIntervalMs = 1000;

MessageBoxHandler messageBox;

// An application event filter that hands events to a function.
class FunctionFilter : public QObject {
public:
    explicit FunctionFilter(std::function<bool(QObject*, QEvent*)> filter)
        : filter_(std::move(filter)) {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        bool taken = false;
        ReportErrors("Tzrmain.FormKeys", [&] { taken = filter_(watched, event); });
        return taken;
    }

private:
    std::function<bool(QObject*, QEvent*)> filter_;
};

// A plain square until a theme gives the client its icons.
QIcon DefaultTrayIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(QColor(0x30, 0x60, 0xC0));
    return QIcon(pixmap);
}

void ShowMessageBox(QWidget* parent, const QString& text) {
    if (messageBox) {
        messageBox(parent, text);
        return;
    }
    QMessageBox::information(parent, QApplication::applicationName(), text);
}

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) {
    messageBox = std::move(handler);
}

Tzrmain::Tzrmain(QWidget* parent) : TZRSkinForm(std::string(), parent) {
    zrmain = this;
    SetShellWindow(this);
    timedsbtimer_.setInterval(TimedSpecialsIntervalMs);
    connect(&timedsbtimer_, &QTimer::timeout, this,
            [] { ReportErrors("Tzrmain.timedsbtimerTimer", TimedSpecialsTimer); });
    gameEnd_.setInterval(GameEndIntervalMs);
    connect(&gameEnd_, &QTimer::timeout, this,
            [this] { ReportErrors("Tzrmain.GameEndTimer", [this] { GameEndTimer(); }); });
    // Installed before the key table's filter, so that one (called first) still sees the keys
    // this one takes.
    formKeys_ = std::make_unique<FunctionFilter>(
        [this](QObject* watched, QEvent* event) { return FormKey(watched, event); });
    keyFilter_ = std::make_unique<KeyFilter>();
    trayicon_ = std::make_unique<TTraybar>();
    trayicon_->SetIcon(DefaultTrayIcon());
    traymenu_ = new QMenu(this);
    traymenu_->addAction(QStringLiteral("Exit"), this, [this] { close(); })
        ->setObjectName(QStringLiteral("Exit1"));
    trayicon_->SetPopupMenu(traymenu_);
    trayicon_->OnDblClick = [this] { trayiconDblClick(); };
    resize(640, 480);
    InstallSkinWidgets();
    // The application's exception handler for the window's lifetime, which spans the loop.
    SetErrorReporter([](std::exception_ptr e) { ReportException(e); });
    ShellFormCreate();
    RegisterSkinName(MainSkinName);
}

Tzrmain::~Tzrmain() {
    if (!ShellClosed())
        ShellFormClose();
    keyFilter_.reset();
    formKeys_.reset();
    trayicon_.reset();
    SetErrorReporter({});
    RemoveSkinWidgets();
    SetShellWindow(nullptr);
    if (zrmain == this)
        zrmain = nullptr;
}

void Tzrmain::closeEvent(QCloseEvent* event) {
    ReportErrors("Tzrmain.FormClose", ShellFormClose);
    event->accept();
}

void Tzrmain::GameEndTimer() {
    const int64_t seconds = static_cast<int64_t>(SecondClock()) - ClientState.game.GameTimeBase;
    SetCaption(std::string(ProgramCaption) + " - " + Room().AccountName() + " [Game time: " +
               std::to_string(seconds / 60) + "min " + std::to_string(seconds % 60) + "sec]");
}

void Tzrmain::SetCaption(const std::string& caption) {
    setWindowTitle(Cp1252ToQString(caption));
}

void Tzrmain::SetApplicationTitle(const std::string& title) {
    QCoreApplication::setApplicationName(Cp1252ToQString(title));
}

void Tzrmain::SetTrayHint(const std::string& hint) {
    trayHint_ = hint;
    trayicon_->SetHint(hint);
}

void Tzrmain::RemoveTrayIcon() {
    trayicon_->DeleteIcon();
}

bool Tzrmain::AddTrayIcon() {
    return trayicon_->AddIcon();
}

void Tzrmain::HideToTray() {
    hide();
}

bool Tzrmain::Minimised() {
    return isMinimized() || minimised_;
}

WindowRect Tzrmain::WorkArea() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect r = screen->availableGeometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

void Tzrmain::trayiconDblClick() {
    showNormal();
    raise();
    activateWindow();
    if (minimised_) {
        minimised_ = false;
        ApplicationRestored();
    }
}

void Tzrmain::changeEvent(QEvent* event) {
    TZRSkinForm::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    ReportErrors("Tzrmain.WindowStateChange", [this] {
        if (isMinimized()) {
            if (!minimised_) {
                minimised_ = true;
                ApplicationMinimised();
            }
            return;
        }
        if (minimised_) {
            minimised_ = false;
            ApplicationRestored();
        }
        // Maximised or restored by the desktop (the caption's buttons): the skins follow. A
        // double click on the caption belongs to the window manager too, which does not tell
        // it from the maximise button here; so it maximises as the desktop does, and the full
        // screen is left to the "fullscreen" command.
        if (!settingFullScreen_)
            SetUIState(uiWindow, true);
    });
}

bool Tzrmain::FormKey(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    // The keys of every page of this window are swallowed alike: the room's chat line keeps the
    // focus under the game page and would gather the game keys into a chat line. The in-game
    // message edit types while it has the focus, because game input is not allowed then;
    // dialogs are windows of their own.
    if (!windowHandle() || watched != windowHandle() || !GameInputAllowed())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const int k = key->key();
    const char character =
        k >= Qt::Key_0 && k <= Qt::Key_9 ? static_cast<char>('0' + k - Qt::Key_0) : '\0';
    SpectatorViewKey(character, event->type() == QEvent::KeyRelease);
    return true;
}

void Tzrmain::NonClientSize(int& width, int& height) {
    width = frameGeometry().width() - geometry().width();
    height = frameGeometry().height() - geometry().height();
}

void Tzrmain::ShowWindow() {
    show();
}

void Tzrmain::CloseWindow() {
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
}

void Tzrmain::ShowMessage(const std::string& text) {
    ShowMessageBox(this, Cp1252ToQString(text));
}

void Tzrmain::SetEnabled(bool enabled) {
    setEnabled(enabled);
}

void Tzrmain::SetTimedTimer(bool running) {
    if (running)
        timedsbtimer_.start();
    else
        timedsbtimer_.stop();
}

void Tzrmain::SetGameEndTimer(bool running) {
    if (running)
        gameEnd_.start();
    else
        gameEnd_.stop();
}

WindowRect Tzrmain::Placement() {
    const QRect r = isMaximized() || isFullScreen() ? normalGeometry() : geometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

bool Tzrmain::Maximised() {
    return isMaximized() || isFullScreen();
}

WindowRect Tzrmain::Screen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect r = screen->geometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

void Tzrmain::SetPlacement(const WindowRect& rect) {
    setGeometry(rect.x, rect.y, rect.width, rect.height);
}

void Tzrmain::SetFullScreen(bool on) {
    FullScreenInput in;
    in.on = on;
    in.show = Minimised()                       ? WindowShow::Minimised
              : isMaximized() || isFullScreen() ? WindowShow::Maximised
                                                : WindowShow::Normal;
    const WindowRect screen = Screen(), work = WorkArea();
    in.screenWidth = screen.width;
    in.screenHeight = screen.height;
    in.workWidth = work.width;
    in.workHeight = work.height;
    if (const TZRMainbmp* main = Settings.theme.draw.mainbmp) {
        in.minWidth = main->minWindowWidth;
        in.minHeight = main->minWindowHeight;
    }
    in.maxfs = Settings.options.maxfs != 0;
    const FullScreenStep step = FullScreenDecision(in);
    if (step == FullScreenStep::Nothing)
        return;
    settingFullScreen_ = true;
    switch (step) {
        case FullScreenStep::FullScreen:
            showFullScreen();
            break;
        case FullScreenStep::Maximise:
            showMaximized();
            break;
        default:
            showNormal();
            break;
    }
    settingFullScreen_ = false;
    SetUIState(uiWindow, true);
}

void Tzrmain::ShowLoading() {
    if (loadform)
        loadform->ShowCentred();
}

void Tzrmain::LoadingProgress(int position, int maximum) {
    if (loadform)
        loadform->SetPosition(position, maximum);
}

void Tzrmain::HideLoading() {
    if (loadform)
        loadform->hide();
}

bool Tzrmain::ApplyTheme(std::string& message) {
    // The window takes the theme's size first, so the new skins are laid out for it once.
    const TZRMainbmp* main = Settings.theme.draw.mainbmp;
    const bool sized = main && main->minWindowWidth > 0 && main->minWindowHeight > 0 &&
                       main->minWindowWidth <= MaxThemeWindowSize &&
                       main->minWindowHeight <= MaxThemeWindowSize;
    if (sized && !Maximised())
        resize(main->minWindowWidth, main->minWindowHeight);
    const bool applied = ShellWindow::ApplyTheme(message);
    if (applied && sized) {
        // The window never gets smaller than the theme was made for, nor larger than the screen.
        setMinimumSize(main->minWindowWidth, main->minWindowHeight);
        const WindowRect screen = Screen();
        if (screen.width > 0 && screen.height > 0)
            setMaximumSize(std::max(screen.width, main->minWindowWidth),
                           std::max(screen.height, main->minWindowHeight));
    }
    RepaintSkin();
    return applied;
}

void Tzrmain::ReloadMotd() {
    if (zrtitle)
        zrtitle->ReloadMotd();
}

void Tzrmain::OpenUrl(const std::string& url) {
    if (!OpenInBrowser(url))
        AddLogLine("Not opened: " + url);
}

}  // namespace pk
