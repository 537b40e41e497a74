#pragma once
// The lobby's windows besides the update dialog: the skinned lobby window, sign-up and query
// dialogs (empty so far), and the room and player details, status list, location picker and
// user-database console (their own headers). The main program creates them in its fixed order.
#include <QWidget>

#include "lobby/ui/zrdbmanage.h"
#include "lobby/ui/zrpsl.h"
#include "lobby/ui/zrregionform.h"
#include "lobby/ui/zrroomstats.h"
#include "lobby/ui/zruserstats.h"
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

}  // namespace pk
