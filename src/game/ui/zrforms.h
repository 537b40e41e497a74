#pragma once
// The game's windows besides the extra settings dialog: the in-game window, the room window,
// the game-set editor, the key page and its key picker. Empty so far; they become skinned
// forms with their controls in the issues that build them. The main program creates them in
// its fixed order.
#include <QWidget>

namespace pk {

// The in-game window ("game").
class Tzrgame : public QWidget {
public:
    using QWidget::QWidget;
};

// The game room window: chat and player list ("partyline").
class Tzrpartyline : public QWidget {
public:
    using QWidget::QWidget;
};

// The game-set editor.
class Tzrgamesetup : public QWidget {
public:
    using QWidget::QWidget;
};

// The key page.
class Tzrskey : public QWidget {
public:
    using QWidget::QWidget;
};

// The dialog that picks one key.
class Tzrpickkeyf : public QWidget {
public:
    using QWidget::QWidget;
};

}  // namespace pk
