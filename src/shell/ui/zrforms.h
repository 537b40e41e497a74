#pragma once
// The shell's windows besides the main window and the loading window: the login page and the
// settings pages. Empty so far; they become skinned forms with their controls once the skin
// engine is in. The main program creates them in its fixed order.
#include <QWidget>

namespace pk {

// The login page ("login").
class Tzrtitle : public QWidget {
public:
    using QWidget::QWidget;
};

// The settings window that holds the option pages ("settings").
class Tzrsettings : public QWidget {
public:
    using QWidget::QWidget;
};

// The theme and music page ("settheme").
class Tzrstheme : public QWidget {
public:
    using QWidget::QWidget;
};

// The game options page.
class Tzrsgame : public QWidget {
public:
    using QWidget::QWidget;
};

// The game server page.
class Tzrsserver : public QWidget {
public:
    using QWidget::QWidget;
};

// The miscellaneous options page.
class Tzrsmisc : public QWidget {
public:
    using QWidget::QWidget;
};

// The lobby options page.
class Tzrsbrowser : public QWidget {
public:
    using QWidget::QWidget;
};

}  // namespace pk
