#pragma once
// The lobby window's users panel: the own-status buttons ("Here", "BRB", "Away", "Sleep") and
// "Me" above the user list with its friends, room users and ignored users sections. A left
// click on a section's box opens or closes it; a right click opens the user menu.
#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "lobby/ui/zrbrowserparts.h"
#include "lobby/zrlobbyhost.h"

class QButtonGroup;
class QListView;
class QToolButton;

namespace pk {

class TBrowserUserMenu;
class TUserListModel;

class TBrowserUsers : public QWidget {
public:
    TBrowserUsers(TUserListModel& users, const TBrowserHooks& hooks, QWidget* parent);
    ~TBrowserUsers() override;
    // The user menu, made once the window's controls are all there.
    void BuildMenu();

    QListView* userlist() const { return userlist_; }
    TBrowserUserMenu& UserMenu() { return *menu_; }
    // The theme's "userliststateimagelist" and "userliststatusimagelist", in order.
    void SetIcons(const std::vector<IconTile>& tiles);
    const QImage& StateIcon(int index) const;
    const QImage& PrivilegeIcon(int index) const;
    void SetOwnStatusButton(OwnStatusButton down);

    void meactiveClick();
    void mebrbClick();
    void meawayClick();
    void mesleepingClick();
    void mewhoisClick();
    // Left or right button on the user list at a point of its viewport.
    void userlistMouseDown(Qt::MouseButton button, const QPoint& at, const QPoint& globalAt);
    // The users the popup menu acts on: the selected rows' users, in list order.
    std::vector<std::uint32_t> SelectedUsers() const;
    std::uint32_t FocusedUser() const;

private:
    QToolButton* Button(const char* name) const;
    void OwnStatusClick(int status);
    bool ListEvent(QEvent& e);
    bool OnSectionBox(const QPoint& at) const;

    TUserListModel& users_;
    const TBrowserHooks& hooks_;
    std::array<QImage, 5> stateIcons_{};
    std::array<QImage, 4> privilegeIcons_{};
    QButtonGroup* statusGroup_ = nullptr;
    QListView* userlist_ = nullptr;
    std::unique_ptr<TBrowserUserMenu> menu_;
    std::unique_ptr<QObject> listFilter_;  // the list's mouse buttons
};

}  // namespace pk
