#pragma once
// The lobby's windows besides the update dialog: the skinned lobby window, sign-up and query
// dialogs, the room and user statistics dialogs, the status list, the region list and the
// user-database console. Empty so far; they become skinned forms with their controls in the issues
// that build them. The main program creates them in its fixed order.
#include <QWidget>

#include "skin/ui/zrskinform.h"

namespace pk {

// The lobby window ("browser"), a skinned form placed by the element "con_browser".
class Tzrbrowser : public TZRSkinForm {
public:
    explicit Tzrbrowser(QWidget* parent = nullptr) : TZRSkinForm("browser", parent) {}
};

// The sign-up dialog.
class Tzrsignup : public QWidget {
public:
    using QWidget::QWidget;
};

// The query dialog.
class Tsbquery : public QWidget {
public:
    using QWidget::QWidget;
};

// The room details dialog.
class Tsbroomstats : public QWidget {
public:
    using QWidget::QWidget;
};

// The player details dialog.
class Tsbuserstats : public QWidget {
public:
    using QWidget::QWidget;
};

// The servers' status list.
class Tzrpsl : public QWidget {
public:
    using QWidget::QWidget;
};

// The location picker.
class Tzrregionlist : public QWidget {
public:
    using QWidget::QWidget;
};

// The user-database console.
class Tdbmanage : public QWidget {
public:
    using QWidget::QWidget;
};

}  // namespace pk
