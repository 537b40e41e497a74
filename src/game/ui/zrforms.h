#pragma once
// The game's skinned windows besides the extra settings dialog: the in-game window, the room
// window and the key page, each registered under its skin name and placed by its container
// element; the game-set editor and the key picker are plain dialogs. Their controls come with
// the windows' own work, except the in-game chat edit, which the game window's container
// closes when it hides. The main program creates them in its fixed order.
#include <QLineEdit>
#include <QWidget>

#include "skin/ui/zrskinform.h"

namespace pk {

// The in-game window ("game").
class Tzrgame : public TZRSkinForm {
public:
    explicit Tzrgame(QWidget* parent = nullptr);

    // The one-line chat edit, bound to the element "chateditbox"; disabled and hidden until
    // the chat key opens it.
    QLineEdit* msgbox() { return msgbox_; }

    // "con_game" shown: a suspended game thread runs again.
    void ContainerShown() override;
    // "con_game" hidden: outside a game the game thread is suspended; an open chat edit is
    // closed and its element deactivated.
    void ContainerHidden() override;

private:
    QLineEdit* msgbox_ = nullptr;
};

// The game room window: chat and player list ("chat").
class Tzrpartyline : public TZRSkinForm {
public:
    explicit Tzrpartyline(QWidget* parent = nullptr) : TZRSkinForm("chat", parent) {
        SetNeedPaint(true);
    }
};

// The game-set editor.
class Tzrgamesetup : public QWidget {
public:
    using QWidget::QWidget;
};

// The key page ("setcontrol").
class Tzrskey : public TZRSkinForm {
public:
    explicit Tzrskey(QWidget* parent = nullptr) : TZRSkinForm("setcontrol", parent) {}
};

// The dialog that picks one key.
class Tzrpickkeyf : public QWidget {
public:
    using QWidget::QWidget;
};

}  // namespace pk
