#include "shell/ui/zrmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "core/zrversion.h"
#include "game/zrgame.h"
#include "game/zrroomhost.h"
#include "game/zrsbgame.h"
#include "platform/cp1252.h"
#include "platform/keyfilter.h"
#include "platform/shellopen.h"
#include "shell/ui/zrforms.h"
#include "shell/ui/zrloadtheme.h"
#include "shell/zrskinwiring.h"
#include "skin/ui/zrskinwidgets.h"

namespace pk {

Tzrmain* zrmain = nullptr;

namespace {

constexpr int TimedSpecialsIntervalMs = 500;
constexpr int GameEndIntervalMs = 1000;

MessageBoxHandler messageBox;

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
    connect(&timedsbtimer_, &QTimer::timeout, this, [] { GuardEntry(TimedSpecialsTimer); });
    gameEnd_.setInterval(GameEndIntervalMs);
    connect(&gameEnd_, &QTimer::timeout, this, [this] { GuardEntry([this] { GameEndTimer(); }); });
    keyFilter_ = std::make_unique<KeyFilter>();
    resize(640, 480);
    InstallSkinWidgets();
    SetSkinErrorHandler([](std::exception_ptr e) { ReportException(e); });
    ShellFormCreate();
    RegisterSkinName(MainSkinName);
}

Tzrmain::~Tzrmain() {
    if (!ShellClosed())
        ShellFormClose();
    keyFilter_.reset();
    SetSkinErrorHandler({});
    RemoveSkinWidgets();
    SetShellWindow(nullptr);
    if (zrmain == this)
        zrmain = nullptr;
}

void Tzrmain::closeEvent(QCloseEvent* event) {
    GuardEntry(ShellFormClose);
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
    if (on)
        showMaximized();
    else
        showNormal();
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
    if (main && !Maximised() && main->minWindowWidth > 0 && main->minWindowHeight > 0)
        resize(main->minWindowWidth, main->minWindowHeight);
    const bool applied = ShellWindow::ApplyTheme(message);
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
