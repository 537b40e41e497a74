#pragma once
// The lobby window's chat panel: the lobby chat with its font menu and the one-line edit below
// it, whose keys walk the history and complete nicks (lobby/zrlobbychat.h).
#include <QWidget>
#include <memory>

#include "lobby/ui/zrbrowserparts.h"
#include "lobby/zrlobbychat.h"

class QLineEdit;
class QMenu;

namespace pk {

class TZRTxtbox;

class TBrowserChat : public QWidget {
public:
    // `form` is the lobby window, whose font is the chat's default and which the font dialog
    // opens over.
    TBrowserChat(QWidget& form, const TBrowserHooks& hooks, QWidget* parent);
    ~TBrowserChat() override;
    // The chat's popup menu, made once the window's controls are all there.
    void BuildMenu();

    TZRTxtbox* chatbox() const { return chatbox_; }
    QLineEdit* chateb() const { return chateb_; }
    QMenu* changefontpopup() const { return changefontpopup_; }
    TLobbyChatEdit& ChatEdit() { return chatEdit_; }

    void browserchatchangefontClick();
    void browserchatrestoreClick();
    // The chat edit fills its panel but for a margin on the right and at the foot.
    void chatebpanelResize();
    // The chat edit's keys by Qt key code: Up, Down and the nick completion keys. True when
    // the key was used up here (Up and Down, and Tab so that the focus stays).
    bool chatebKeyDown(int qtKey);
    // Enter in the chat edit: the line is processed and goes into the history.
    void chatebKeyPress();
    void SyncChatEdit();

private:
    bool EditEvent(QEvent& e);

    QWidget& form_;
    const TBrowserHooks& hooks_;
    TLobbyChatEdit chatEdit_;
    TZRTxtbox* chatbox_ = nullptr;
    QWidget* chatebpanel_ = nullptr;
    QLineEdit* chateb_ = nullptr;
    QMenu* changefontpopup_ = nullptr;
    std::unique_ptr<QObject> editFilter_;       // the edit's keys
    std::unique_ptr<QObject> editPanelFilter_;  // the edit's panel resized
};

}  // namespace pk
