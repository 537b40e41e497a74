#pragma once
// The shell's skinned pages besides the main window and the loading window: the login page and
// the settings pages, each registered under its skin name and placed into the main window (or
// the settings page) by its container element "con_" + that name. Their controls come with the
// pages' own work. The main program creates them in its fixed order.
#include <QWidget>

#include "skin/ui/zrskinform.h"

namespace pk {

// The login page ("login").
class Tzrtitle : public TZRSkinForm {
public:
    explicit Tzrtitle(QWidget* parent = nullptr);
    // Shown by "con_login": the keyboard goes to the login edits (once the page is on the
    // screen, when the main window is not yet).
    void ContainerShown() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FocusLoginEdits();
    bool focusPending_ = false;
};

// The settings window that holds the option pages ("settings").
class Tzrsettings : public TZRSkinForm {
public:
    explicit Tzrsettings(QWidget* parent = nullptr) : TZRSkinForm("settings", parent) {}
};

// The theme and music page ("settheme").
class Tzrstheme : public TZRSkinForm {
public:
    explicit Tzrstheme(QWidget* parent = nullptr) : TZRSkinForm("settheme", parent) {
        SetNeedPaint(true);
    }
};

// The game options page ("setgame").
class Tzrsgame : public TZRSkinForm {
public:
    explicit Tzrsgame(QWidget* parent = nullptr) : TZRSkinForm("setgame", parent) {
        SetNeedPaint(true);
    }
};

// The game server page ("setserver").
class Tzrsserver : public TZRSkinForm {
public:
    explicit Tzrsserver(QWidget* parent = nullptr) : TZRSkinForm("setserver", parent) {
        SetNeedPaint(true);
    }
};

// The miscellaneous options page ("setmisc").
class Tzrsmisc : public TZRSkinForm {
public:
    explicit Tzrsmisc(QWidget* parent = nullptr) : TZRSkinForm("setmisc", parent) {}
};

// The lobby options page ("setbrowser").
class Tzrsbrowser : public TZRSkinForm {
public:
    explicit Tzrsbrowser(QWidget* parent = nullptr) : TZRSkinForm("setbrowser", parent) {}
};

}  // namespace pk
