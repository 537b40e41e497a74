#include "lobby/ui/zrbrowserusermenu.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

#include "lobby/ui/zrbrowserusers.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrlobbywindow.h"

namespace pk {

TBrowserUserMenu::TBrowserUserMenu(const TBrowserUsers& users, const TBrowserHooks& hooks,
                                   QWidget* parent)
    : users_(users), hooks_(hooks) {
    menu_ = new QMenu(parent);
    menu_->setObjectName(QStringLiteral("userpopupmenu"));
    using M = TBrowserUserMenu;
    QMenu* status = SubMenu("statussub", QStringLiteral("Change user's status to"));
    Item(status, "setnormal", QStringLiteral("normal."), &M::setnormalClick);
    Item(status, "setvoice", QStringLiteral("voice."), &M::setvoiceClick);
    Item(status, "setoperator", QStringLiteral("operator."), &M::setoperatorClick);
    QMenu* kick = SubMenu("kicksub", QStringLiteral("Kick user"));
    Item(kick, "kickwomsg", QStringLiteral("without message."), &M::kickwomsgClick);
    Item(kick, "kickwmsg", QStringLiteral("with message..."), &M::kickwmsgClick);
    Item(kick, "kickand5minban", QStringLiteral("and ban for 5 min..."), &M::kickand5minbanClick);
    Item(kick, "kickandban", QStringLiteral("and ban..."), &M::kickandbanClick);
    Item(menu_, "whoismenu", QStringLiteral("Show player details..."), &M::whoismenuClick);
    Item(menu_, "requestrps", QStringLiteral("Request permanent user list..."),
         &M::requestrpsClick);
    QMenu* friends = SubMenu("friendsub", QStringLiteral("Friends list"));
    Item(friends, "addnewfriend", QStringLiteral("Add to"), &M::addnewfriendClick);
    Item(friends, "removefriend", QStringLiteral("Remove from"), &M::removefriendClick);
    Item(menu_, "invitegame", QStringLiteral("Invite user to your game."), &M::invitegameClick);
    QMenu* ignore = SubMenu("ignoresub", QStringLiteral("Ignore list"));
    Item(ignore, "addignoreusermenu", QStringLiteral("Add to"), &M::addignoreusermenuClick);
    Item(ignore, "removeignoreuser", QStringLiteral("Remove from"), &M::removeignoreuserClick);
}

QAction* TBrowserUserMenu::Item(QMenu* menu, const char* name, const QString& text,
                                void (TBrowserUserMenu::*handler)()) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    QObject::connect(a, &QAction::triggered, menu_, ReportedHandler(this, handler, name));
    return a;
}

QMenu* TBrowserUserMenu::SubMenu(const char* name, const QString& text) {
    QMenu* sub = menu_->addMenu(text);
    sub->menuAction()->setObjectName(QString::fromLatin1(name));
    return sub;
}

void TBrowserUserMenu::Open(const TUserMenu& m, const QPoint& globalAt) {
    const struct {
        const char* name;
        bool on;
    } entries[] = {{"setnormal", m.setnormal},
                   {"setvoice", m.setvoice},
                   {"setoperator", m.setoperator},
                   {"statussub", m.statussub},
                   {"kickwomsg", m.kickwomsg},
                   {"kickwmsg", m.kickwmsg},
                   {"whoismenu", m.whoismenu},
                   {"kickandban", m.kickandban},
                   {"kickand5minban", m.kickand5minban},
                   {"kicksub", m.kicksub},
                   {"requestrps", m.requestrps},
                   {"addnewfriend", m.addnewfriend},
                   {"removefriend", m.removefriend},
                   {"friendsub", m.friendsub},
                   {"invitegame", m.invitegame},
                   {"addignoreusermenu", m.addignoreusermenu},
                   {"removeignoreuser", m.removeignoreuser},
                   {"ignoresub", m.ignoresub}};
    for (const auto& e : entries) {
        if (QAction* a = menu_->findChild<QAction*>(QString::fromLatin1(e.name))) {
            a->setEnabled(e.on);
        }
    }
    if (opener_) {
        opener_(*menu_, globalAt);
    } else {
        menu_->popup(QCursor::pos());
    }
}

void TBrowserUserMenu::setnormalClick() {
    SetUsersNormal(users_.SelectedUsers());
}

void TBrowserUserMenu::setvoiceClick() {
    SetUsersVoice(users_.SelectedUsers());
}

void TBrowserUserMenu::setoperatorClick() {
    SetUsersOperator(users_.SelectedUsers());
}

void TBrowserUserMenu::kickwomsgClick() {
    KickUsers(users_.SelectedUsers());
}

void TBrowserUserMenu::kickwmsgClick() {
    const std::vector<std::string> names = SelectedUserNames(users_.SelectedUsers());
    std::string message;
    if (hooks_.message && hooks_.message(message)) {
        KickUsersWithMessage(names, message);
    }
}

void TBrowserUserMenu::BanClick(int seconds) {
    const std::vector<std::string> names = SelectedUserNames(users_.SelectedUsers());
    std::string message;
    if (hooks_.message && hooks_.message(message)) {
        BanUsers(names, message, seconds);
    }
}

void TBrowserUserMenu::kickandbanClick() {
    BanClick(0);
}

void TBrowserUserMenu::kickand5minbanClick() {
    BanClick(300);
}

void TBrowserUserMenu::whoismenuClick() {
    WhoisUser(users_.FocusedUser());
}

void TBrowserUserMenu::requestrpsClick() {
    RequestPermanentList();
}

void TBrowserUserMenu::addnewfriendClick() {
    AddUsersAsFriends(users_.SelectedUsers());
}

void TBrowserUserMenu::removefriendClick() {
    RemoveFriends(users_.SelectedUsers());
}

void TBrowserUserMenu::invitegameClick() {
    InviteUser(users_.FocusedUser());
}

void TBrowserUserMenu::addignoreusermenuClick() {
    AddUsersToIgnore(users_.SelectedUsers());
}

void TBrowserUserMenu::removeignoreuserClick() {
    RemoveIgnored(users_.SelectedUsers());
}

}  // namespace pk
