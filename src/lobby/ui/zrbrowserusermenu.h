#pragma once
// The user list's popup menu: status, kick and ban, details, the permanent list, friends,
// invitation and ignore entries, enabled as the chosen user and our rights allow
// (ConfigureUserMenu), each acting on the users the list has selected.
#include <QPoint>
#include <functional>

#include "lobby/ui/zrbrowserparts.h"

class QAction;
class QMenu;
class QWidget;

namespace pk {

class TBrowserUsers;
struct TUserMenu;

class TBrowserUserMenu {
public:
    // The entries act on the users selected in `users`, or on its focused user.
    TBrowserUserMenu(const TBrowserUsers& users, const TBrowserHooks& hooks, QWidget* parent);

    QMenu* userpopupmenu() const { return menu_; }
    // Enables the entries as `entries` says and opens the menu at `globalAt`.
    void Open(const TUserMenu& entries, const QPoint& globalAt);
    // Tests open the menu without showing it.
    void SetMenuOpener(std::function<void(QMenu&, const QPoint&)> opener) {
        opener_ = std::move(opener);
    }

    void setnormalClick();
    void setvoiceClick();
    void setoperatorClick();
    void kickwomsgClick();
    void kickwmsgClick();
    void kickandbanClick();
    void kickand5minbanClick();
    void whoismenuClick();
    void requestrpsClick();
    void addnewfriendClick();
    void removefriendClick();
    void invitegameClick();
    void addignoreusermenuClick();
    void removeignoreuserClick();

private:
    // An entry named `name` (its guard's log text too) that runs `handler`.
    QAction* Item(QMenu* menu, const char* name, const QString& text,
                  void (TBrowserUserMenu::*handler)());
    QMenu* SubMenu(const char* name, const QString& text);
    void BanClick(int seconds);

    const TBrowserUsers& users_;
    const TBrowserHooks& hooks_;
    QMenu* menu_ = nullptr;
    std::function<void(QMenu&, const QPoint&)> opener_;
};

}  // namespace pk
