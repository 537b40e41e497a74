#include "lobby/ui/zrbrowserusers.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "lobby/ui/zrbrowserdraw.h"
#include "lobby/ui/zrbrowserusermenu.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrlobbyviews.h"
#include "lobby/zrlobbywindow.h"
#include "room/zrroomcontrols.h"

namespace pk {

TBrowserUsers::TBrowserUsers(TUserListModel& users, const TBrowserHooks& hooks, QWidget* parent)
    : QWidget(parent), users_(users), hooks_(hooks) {
    auto* usersColumn = new QVBoxLayout(this);
    usersColumn->setContentsMargins(0, 0, 0, 0);
    auto* meRow = new QHBoxLayout();
    statusGroup_ = new QButtonGroup(this);
    statusGroup_->setExclusive(true);
    // The captions stand in until the theme's icons arrive.
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
        int status;
    } me[] = {{"meactive", "Here", "I'm here!", 1},
              {"mebrb", "BRB", "Be right back.", 3},
              {"meaway", "Away", "Away for a while.", 2},
              {"mesleeping", "Sleep", "Sleeping.", 4}};
    for (const auto& m : me) {
        QToolButton* b = NewBrowserButton(m.name, QString::fromLatin1(m.caption), this);
        b->setToolTip(QString::fromLatin1(m.hint));
        b->setCheckable(true);
        statusGroup_->addButton(b, m.status);
        meRow->addWidget(b);
    }
    connect(Button("meactive"), &QToolButton::clicked, this, PK_BROWSER_HANDLER(meactiveClick));
    connect(Button("mebrb"), &QToolButton::clicked, this, PK_BROWSER_HANDLER(mebrbClick));
    connect(Button("meaway"), &QToolButton::clicked, this, PK_BROWSER_HANDLER(meawayClick));
    connect(Button("mesleeping"), &QToolButton::clicked, this, PK_BROWSER_HANDLER(mesleepingClick));
    Button("meactive")->setChecked(true);
    QToolButton* whois = NewBrowserButton("mewhois", QStringLiteral("Me"), this);
    whois->setToolTip(QStringLiteral("Edit player details..."));
    meRow->addWidget(whois);
    meRow->addStretch(1);
    usersColumn->addLayout(meRow);
    userlist_ = new QListView(this);
    userlist_->setObjectName(QStringLiteral("userlist"));
    userlist_->setModel(&users_);
    userlist_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    userlist_->setUniformItemSizes(true);
    userlist_->setItemDelegate(new TUserRowDelegate(*this, userlist_));
    userlist_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    usersColumn->addWidget(userlist_, 1);
    listFilter_ = std::make_unique<TBrowserEventFilter>([this](QEvent& e) { return ListEvent(e); });
    userlist_->viewport()->installEventFilter(listFilter_.get());
    connect(whois, &QToolButton::clicked, this, PK_BROWSER_HANDLER(mewhoisClick));
}

TBrowserUsers::~TBrowserUsers() = default;

void TBrowserUsers::BuildMenu() {
    menu_ = std::make_unique<TBrowserUserMenu>(*this, hooks_, this);
}

QToolButton* TBrowserUsers::Button(const char* name) const {
    return findChild<QToolButton*>(QString::fromLatin1(name));
}

// Whether a point of the list's viewport lies on the open/closed box of a section's header.
bool TBrowserUsers::OnSectionBox(const QPoint& at) const {
    if (at.x() <= 6 || at.x() >= 18) {
        return false;
    }
    const QModelIndex index = userlist_->indexAt(at);
    const auto kind = static_cast<UserRowKind>(index.data(UserRowKindRole).toInt());
    return index.isValid() &&
           (kind == UserRowKind::FriendsHeader || kind == UserRowKind::UsersHeader ||
            kind == UserRowKind::IgnoreHeader);
}

bool TBrowserUsers::ListEvent(QEvent& e) {
    if (e.type() != QEvent::MouseButtonPress) {
        return false;
    }
    auto& mouse = static_cast<QMouseEvent&>(e);
    const QPoint at = mouse.position().toPoint();
    if (mouse.button() == Qt::RightButton) {
        userlistMouseDown(Qt::RightButton, at, mouse.globalPosition().toPoint());
        return true;
    }
    if (mouse.button() == Qt::LeftButton && OnSectionBox(at)) {
        userlistMouseDown(Qt::LeftButton, at, mouse.globalPosition().toPoint());
        return true;
    }
    userlistMouseDown(mouse.button(), at, mouse.globalPosition().toPoint());
    return false;
}

void TBrowserUsers::SetIcons(const std::vector<IconTile>& tiles) {
    std::size_t state = 0, privilege = 0;
    for (const IconTile& tile : tiles) {
        if (tile.target == "userliststateimagelist") {
            if (state < stateIcons_.size()) {
                stateIcons_[state++] = TileImage(tile);
            }
        } else if (tile.target == "userliststatusimagelist") {
            if (privilege < privilegeIcons_.size()) {
                privilegeIcons_[privilege++] = TileImage(tile);
            }
        }
    }
    userlist_->viewport()->update();
}

const QImage& TBrowserUsers::StateIcon(int index) const {
    static const QImage none;
    return index >= 0 && index < static_cast<int>(stateIcons_.size())
               ? stateIcons_[static_cast<std::size_t>(index)]
               : none;
}

const QImage& TBrowserUsers::PrivilegeIcon(int index) const {
    static const QImage none;
    return index >= 0 && index < static_cast<int>(privilegeIcons_.size())
               ? privilegeIcons_[static_cast<std::size_t>(index)]
               : none;
}

void TBrowserUsers::SetOwnStatusButton(OwnStatusButton down) {
    const char* name = down == OwnStatusButton::meaway       ? "meaway"
                       : down == OwnStatusButton::mebrb      ? "mebrb"
                       : down == OwnStatusButton::mesleeping ? "mesleeping"
                       : down == OwnStatusButton::meactive   ? "meactive"
                                                             : nullptr;
    if (name) {
        Button(name)->setChecked(true);
    }
}

void TBrowserUsers::OwnStatusClick(int status) {
    if (!OwnStatusClicked(status)) {
        Button("meactive")->setChecked(true);
    }
}

void TBrowserUsers::meactiveClick() {
    OwnStatusClick(stActive);
}

void TBrowserUsers::mebrbClick() {
    OwnStatusClick(stBeRightBack);
}

void TBrowserUsers::meawayClick() {
    OwnStatusClick(stAway);
}

void TBrowserUsers::mesleepingClick() {
    OwnStatusClick(stSleeping);
}

void TBrowserUsers::mewhoisClick() {
    // The details dialog asks for the own statistics itself.
    if (hooks_.editOwnDetails) {
        hooks_.editOwnDetails();
    } else {
        EditOwnDetails();
    }
}

std::vector<std::uint32_t> TBrowserUsers::SelectedUsers() const {
    std::vector<int> rows;
    for (const QModelIndex& index : userlist_->selectionModel()->selectedIndexes()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    std::vector<std::uint32_t> uids;
    for (int row : rows) {
        const QVariant id = users_.index(row).data(LobbyIdRole);
        if (id.isValid()) {
            uids.push_back(id.toUInt());
        }
    }
    return uids;
}

std::uint32_t TBrowserUsers::FocusedUser() const {
    const QVariant id = userlist_->currentIndex().data(LobbyIdRole);
    return id.isValid() ? id.toUInt() : 0;
}

void TBrowserUsers::userlistMouseDown(Qt::MouseButton button, const QPoint& at,
                                      const QPoint& globalAt) {
    if (ClientState.lobby.LobbyLinkState != sbConnected) {
        return;
    }
    const QModelIndex index = userlist_->indexAt(at);
    if (button == Qt::LeftButton) {
        if (at.x() > 6 && at.x() < 18 && index.isValid()) {
            const auto kind = static_cast<UserRowKind>(index.data(UserRowKindRole).toInt());
            if (kind == UserRowKind::FriendsHeader || kind == UserRowKind::UsersHeader ||
                kind == UserRowKind::IgnoreHeader) {
                ToggleUserSection(kind);
                return;
            }
        }
        if (!index.isValid()) {
            userlist_->clearSelection();
            userlist_->setCurrentIndex(QModelIndex());
        }
        return;
    }
    if (button != Qt::RightButton) {
        return;
    }
    const int focused = userlist_->currentIndex().row();
    std::vector<int> selected;
    for (const QModelIndex& i : userlist_->selectionModel()->selectedIndexes()) {
        selected.push_back(i.row());
    }
    std::sort(selected.begin(), selected.end());
    const std::optional<std::vector<int>> menuRows = MenuSelection(focused, selected);
    if (!menuRows) {
        return;
    }
    const std::vector<int>& kept = *menuRows;
    for (int row : selected) {
        if (std::find(kept.begin(), kept.end(), row) == kept.end()) {
            userlist_->selectionModel()->select(users_.index(row), QItemSelectionModel::Deselect);
        }
    }
    if (kept.empty()) {
        return;
    }
    const tSbUser* user = FindUserByUid(FocusedUser());
    if (!user) {
        return;
    }
    menu_->Open(ConfigureUserMenu(*user), globalAt);
}

}  // namespace pk
