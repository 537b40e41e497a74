#include "shell/ui/zrtraybar.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

#include "core/zrlog.h"
#include "platform/cp1252.h"
#include "shell/zrshell.h"

namespace pk {

TTraybar::TTraybar(QObject* parent) : QObject(parent) {}

TTraybar::~TTraybar() = default;

void TTraybar::SetHint(const std::string& hint) {
    hint_ = hint.substr(0, std::min(hint.size(), TrayHintLength));
    if (tray_)
        tray_->setToolTip(Cp1252ToQString(hint_));
}

void TTraybar::SetIcon(const QIcon& icon) {
    icon_ = icon;
    if (tray_)
        tray_->setIcon(icon_);
}

bool TTraybar::Available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TTraybar::AddIcon() {
    if (!Available())
        return false;
    if (!tray_) {
        tray_ = std::make_unique<QSystemTrayIcon>();
        connect(tray_.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    ReportErrors("TTraybar.activated", [&] {
                        if (reason == QSystemTrayIcon::Trigger)
                            Callback(Mouse::LeftDown);
                        else if (reason == QSystemTrayIcon::DoubleClick)
                            Callback(Mouse::LeftDouble);
                        else if (reason == QSystemTrayIcon::Context)
                            Callback(Mouse::RightUp);
                    });
                });
    }
    tray_->setIcon(icon_);
    tray_->setToolTip(Cp1252ToQString(hint_));
    tray_->show();
    return true;
}

void TTraybar::DeleteIcon() {
    if (tray_)
        tray_->hide();
}

bool TTraybar::Shown() const {
    return tray_ && tray_->isVisible();
}

void TTraybar::Callback(Mouse message) {
    switch (message) {
        case Mouse::LeftDown:
            if (Onclick)
                Onclick();
            break;
        case Mouse::LeftDouble:
            if (OnDblClick)
                OnDblClick();
            break;
        case Mouse::RightUp:
            if (OnRightClick)
                OnRightClick();
            else if (menu_)
                menu_->popup(QCursor::pos());
            break;
    }
}

}  // namespace pk
