#pragma once
// The main window `Tzrmain`: created first of all windows, it runs the shell's life cycle
// (creation, close) and answers what the life cycle asks of a window. A skinned form with the
// skin name "shell", registered once its creation has started the skin registry; the pages
// are placed into it by their container elements.
#include <QMenu>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "shell/zrshell.h"
#include "skin/ui/zrskinform.h"

namespace pk {

class KeyFilter;
class TTraybar;

class Tzrmain : public TZRSkinForm, public ShellWindow {
public:
    explicit Tzrmain(QWidget* parent = nullptr);
    ~Tzrmain() override;

    const std::string& TrayHint() const { return trayHint_; }
    TTraybar& trayicon() { return *trayicon_; }
    QMenu* traymenu() { return traymenu_; }
    QTimer& timedsbtimer() { return timedsbtimer_; }
    QTimer& GameEnd() { return gameEnd_; }

    // ShellWindow
    void SetCaption(const std::string& caption) override;
    void SetApplicationTitle(const std::string& title) override;
    void SetTrayHint(const std::string& hint) override;
    void RemoveTrayIcon() override;
    void NonClientSize(int& width, int& height) override;
    void ShowWindow() override;
    void CloseWindow() override;
    void ShowMessage(const std::string& text) override;
    void SetEnabled(bool enabled) override;
    void SetTimedTimer(bool running) override;
    void SetGameEndTimer(bool running) override;
    WindowRect Placement() override;
    bool Maximised() override;
    WindowRect Screen() override;
    void SetPlacement(const WindowRect& rect) override;
    void SetFullScreen(bool on) override;
    bool Minimised() override;
    WindowRect WorkArea() override;
    bool AddTrayIcon() override;
    void HideToTray() override;
    void ShowLoading() override;
    void LoadingProgress(int position, int maximum) override;
    void HideLoading() override;
    bool ApplyTheme(std::string& message) override;
    void OpenUrl(const std::string& url) override;
    void ReloadMotd() override;

    // The tray icon's double click: the window back from the notification area.
    void trayiconDblClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void GameEndTimer();
    // The form's key handlers (the window sees every key first): while game input is allowed
    // a key goes to the watcher's view keys and no further.
    bool FormKey(QObject* watched, QEvent* event);

    std::string trayHint_;
    QTimer timedsbtimer_;
    QTimer gameEnd_;
    std::unique_ptr<QObject> formKeys_;
    std::unique_ptr<KeyFilter> keyFilter_;
    std::unique_ptr<TTraybar> trayicon_;
    QMenu* traymenu_ = nullptr;
    bool minimised_ = false;
    bool settingFullScreen_ = false;
};

// The one main window, while it exists.
extern Tzrmain* zrmain;

// Every modal message box of the shell goes through this; tests replace it.
using MessageBoxHandler = std::function<void(QWidget* parent, const QString& text)>;
void SetMessageBoxHandler(MessageBoxHandler handler);  // empty restores the real one

}  // namespace pk
