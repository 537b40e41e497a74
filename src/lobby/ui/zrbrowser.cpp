#include "lobby/ui/zrbrowser.h"

#include <QAction>
#include <QButtonGroup>
#include <QCursor>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/ui/zrfontspec.h"
#include "core/zrconst.h"
#include "gfx/qtsurface.h"
#include "lobby/ui/zrbrowserdraw.h"
#include "lobby/zrlobbydispatch.h"
#include "lobby/zrlobbyjoin.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrregionlist.h"
#include "lobby/zrregionping.h"
#include "platform/cp1252.h"
#include "room/zrroomcontrols.h"
#include "shell/zrconfig.h"

namespace pk {

Tzrbrowser* zrbrowser = nullptr;

// The list models, with the labels and buttons passed to the window.
class Tzrbrowser::BrowserViews : public TLobbyItemModels {
public:
    explicit BrowserViews(Tzrbrowser& form) : form_(form) {}
    void SetRoomNameLabel(const std::string& text) override { form_.SetRoomNameLabel(text); }
    void ShowLockIcon(bool shown) override { form_.ShowLockIcon(shown); }
    void ShowModeratedIcon(bool shown) override { form_.ShowModeratedIcon(shown); }
    void SetOwnStatusButton(OwnStatusButton down) override { form_.SetOwnStatusButton(down); }

private:
    Tzrbrowser& form_;
};

namespace {

class EventFn : public QObject {
public:
    explicit EventFn(std::function<bool(QEvent&)> f) : f_(std::move(f)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        bool taken = false;
        SkinGuard("Tzrbrowser.event", [&] { taken = f_(*event); });
        return taken;
    }

private:
    std::function<bool(QEvent&)> f_;
};

QTreeView* ReportView(QWidget* parent, const char* name) {
    auto* view = new QTreeView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setAllColumnsShowFocus(true);
    // Every column keeps the width it was given (the widths are remembered).
    view->header()->setStretchLastSection(false);
    return view;
}

std::vector<int> ColumnWidths(const QTreeView* view, int columns) {
    std::vector<int> widths;
    for (int c = 0; c < columns; ++c) {
        widths.push_back(view->columnWidth(c));
    }
    return widths;
}

void SetColumns(QTreeView* view, std::vector<int> widths, const std::string& stored) {
    SetColumnWidths(widths, stored);
    for (std::size_t c = 0; c < widths.size(); ++c) {
        view->setColumnWidth(static_cast<int>(c), std::clamp(widths[c], 8, 2000));
    }
}

// The width a column of the view needs to show a text whole, as its items measure it.
int TextColumnWidth(const QTreeView* view, const QString& text) {
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.widget = view;
    option.font = view->font();
    option.fontMetrics = QFontMetrics(option.font);
    option.text = text;
    option.features = QStyleOptionViewItem::HasDisplay;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    return view->style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), view).width();
}

QImage TileImage(const IconTile& tile) {
    QImage image = ToQImage(tile.picture).convertToFormat(QImage::Format_ARGB32);
    const QImage key = ToQImage(Surface16(1, 1, tile.transparent));
    const QRgb transparent = key.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (transparent & 0xFFFFFF)) {
                image.setPixel(x, y, 0);
            }
        }
    }
    return image;
}

}  // namespace

Tzrbrowser::Tzrbrowser(QWidget* parent) : TZRSkinForm("browser", parent) {
    zrbrowser = this;
    setObjectName(QStringLiteral("zrbrowser"));
    setWindowTitle(QStringLiteral("Pelkorin Lobby"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    views_ = std::make_unique<BrowserViews>(*this);
    pinger_ = std::make_unique<TRegionPinger>();
    Build();
    BuildMenus();
    resize(960, 634);
    misctimer_ = new QTimer(this);
    misctimer_->setObjectName(QStringLiteral("misctimer"));
    misctimer_->setInterval(LobbyTimerIntervalMs);
    connect(misctimer_, &QTimer::timeout, this,
            [this] { SkinGuard("Tzrbrowser.misctimerTimer", [&] { misctimerTimer(); }); });
    misctimer_->start();
    SetLobbyViews(views_.get());
}

Tzrbrowser::~Tzrbrowser() {
    SetLobbyViews(nullptr);
    if (zrbrowser == this) {
        zrbrowser = nullptr;
    }
}

LobbyViews& Tzrbrowser::Views() {
    return *views_;
}

QToolButton* Tzrbrowser::NewButton(const char* name, const QString& text, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
}

QToolButton* Tzrbrowser::Button(const char* name) const {
    return findChild<QToolButton*>(QString::fromLatin1(name));
}

QAction* Tzrbrowser::MenuItem(const char* name) const {
    return findChild<QAction*>(QString::fromLatin1(name));
}

void Tzrbrowser::Build() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(4);

    // The room status box: room name, icons and the topic banner.
    roomstatusbox_ = new QWidget(this);
    roomstatusbox_->setObjectName(QStringLiteral("roomstatusbox"));
    roomstatusbox_->setAutoFillBackground(true);
    auto* statusRow = new QHBoxLayout(roomstatusbox_);
    statusRow->setContentsMargins(4, 2, 4, 2);
    // The room's name and its icons, beside the banner.
    headerpanel_ = new QWidget(roomstatusbox_);
    headerpanel_->setObjectName(QStringLiteral("headerpanel"));
    auto* headerRow = new QHBoxLayout(headerpanel_);
    headerRow->setContentsMargins(0, 0, 0, 0);
    roomname_ = new QLabel(QStringLiteral("Pelkorin Lobby"), headerpanel_);
    roomname_->setObjectName(QStringLiteral("roomname"));
    QFont bold = font();
    bold.setBold(true);
    roomname_->setFont(bold);
    modimage_ = new QLabel(headerpanel_);
    modimage_->setObjectName(QStringLiteral("modimage"));
    modimage_->setToolTip(QStringLiteral("Moderated"));
    modimage_->hide();
    lockimage_ = new QLabel(headerpanel_);
    lockimage_->setObjectName(QStringLiteral("lockimage"));
    lockimage_->setToolTip(QStringLiteral("Locked"));
    lockimage_->hide();
    headerRow->addWidget(roomname_);
    headerRow->addWidget(modimage_);
    headerRow->addWidget(lockimage_);
    topicbanner_ = new TTopicBannerBox(roomstatusbox_);
    topicbanner_->setMinimumHeight(18);
    statusRow->addWidget(headerpanel_);
    statusRow->addWidget(topicbanner_, 1);
    roomstatusbox_->installEventFilter((filters_[0] = std::make_unique<EventFn>([this](QEvent& e) {
                                            if (e.type() == QEvent::MouseButtonDblClick) {
                                                roomstatusboxDblClick();
                                                return true;
                                            }
                                            return false;
                                        })).get());
    topicbanner_->installEventFilter((filters_[3] = std::make_unique<EventFn>([this](QEvent& e) {
                                          const auto* mouse = dynamic_cast<QMouseEvent*>(&e);
                                          if (!mouse) {
                                              return false;
                                          }
                                          const QPoint at = mouse->position().toPoint();
                                          switch (e.type()) {
                                              case QEvent::MouseButtonPress:
                                                  topicbannerMouseDown(at.x(), at.y());
                                                  return true;
                                              case QEvent::MouseMove:
                                                  topicbannerMouseMove(mouse->buttons(), at.x(),
                                                                       at.y());
                                                  return true;
                                              case QEvent::MouseButtonRelease:
                                                  topicbannerMouseUp();
                                                  return true;
                                              case QEvent::MouseButtonDblClick:
                                                  // The banner lies in the room status box.
                                                  roomstatusboxDblClick();
                                                  return true;
                                              default:
                                                  return false;
                                          }
                                      })).get());
    outer->addWidget(roomstatusbox_);

    columns_ = new QSplitter(Qt::Horizontal, this);
    left_ = new QSplitter(Qt::Vertical, columns_);
    right_ = new QSplitter(Qt::Vertical, columns_);

    // Games (or the overall statistics) with their buttons.
    auto* games = new QWidget(left_);
    auto* gamesColumn = new QVBoxLayout(games);
    gamesColumn->setContentsMargins(0, 0, 0, 0);
    auto* gameBar = new QHBoxLayout();
    gamelabel_ = new QLabel(QStringLiteral("Create and Join Games"), games);
    gamelabel_->setObjectName(QStringLiteral("gamelabel"));
    gamelabel_->setFont(bold);
    gameBar->addWidget(gamelabel_, 1);
    QToolButton* creategame = NewButton("creategame", QStringLiteral("New Game!"), games);
    QToolButton* ping = NewButton("pingregionsbutton", QStringLiteral("Ping Servers"), games);
    // The caption is the button's own text, as with its neighbours, so that a click on the
    // words toggles the statistics too.
    QToolButton* showstats = NewButton("showstats", QStringLiteral("Show Stats"), games);
    statscaption_ = showstats;
    gameBar->addWidget(creategame);
    gameBar->addWidget(ping);
    gameBar->addWidget(showstats);
    gamesColumn->addLayout(gameBar);
    gamelistpanel_ = new QWidget(games);
    gamelistpanel_->setObjectName(QStringLiteral("gamelistpanel"));
    auto* gamePanelLayout = new QVBoxLayout(gamelistpanel_);
    gamePanelLayout->setContentsMargins(0, 0, 0, 0);
    gamelist_ = ReportView(gamelistpanel_, "gamelist");
    gamelist_->setModel(&views_->games);
    gamelist_->header()->setSectionsClickable(true);
    gamelist_->header()->setSortIndicatorShown(false);
    // The Ping column holds at most a region given up, "9999ms": 45 pixels fit it only in
    // narrower fonts than the list's.
    const int pingWidth = std::max(
        45, TextColumnWidth(gamelist_, QString::number(NoPingTime) + QStringLiteral("ms")));
    SetColumns(gamelist_, {140, 60, 45, 45, 70, 90, pingWidth, 75}, {});
    gamePanelLayout->addWidget(gamelist_);
    statspanel_ = new QWidget(games);
    statspanel_->setObjectName(QStringLiteral("statspanel"));
    auto* statsLayout = new QVBoxLayout(statspanel_);
    statsLayout->setContentsMargins(0, 0, 0, 0);
    gamestats_ = new QPlainTextEdit(statspanel_);
    gamestats_->setObjectName(QStringLiteral("gamestats"));
    gamestats_->setReadOnly(true);
    statsLayout->addWidget(gamestats_);
    statspanel_->hide();
    gamesColumn->addWidget(gamelistpanel_, 1);
    gamesColumn->addWidget(statspanel_, 1);

    // The chat.
    auto* chat = new QWidget(left_);
    auto* chatColumn = new QVBoxLayout(chat);
    chatColumn->setContentsMargins(0, 0, 0, 0);
    chatbox_ = new TZRTxtbox(chat);
    chatbox_->setObjectName(QStringLiteral("chatbox"));
    chatbox_->SetAllowFocus(true);
    chatbox_->SetStayAtBottom(true);
    chatColumn->addWidget(chatbox_, 1);
    chatebpanel_ = new QWidget(chat);
    chatebpanel_->setObjectName(QStringLiteral("chatebpanel"));
    chateb_ = new QLineEdit(chatebpanel_);
    chateb_->setObjectName(QStringLiteral("chateb"));
    chatebpanel_->setFixedHeight(chateb_->sizeHint().height() + 1);
    chatebpanel_->installEventFilter((filters_[4] = std::make_unique<EventFn>([this](QEvent& e) {
                                          if (e.type() == QEvent::Resize) {
                                              chatebpanelResize();
                                          }
                                          return false;
                                      })).get());
    chatColumn->addWidget(chatebpanel_);

    // Rooms.
    auto* rooms = new QWidget(right_);
    auto* roomsColumn = new QVBoxLayout(rooms);
    roomsColumn->setContentsMargins(0, 0, 0, 0);
    roomlist_ = ReportView(rooms, "roomlist");
    roomlist_->setModel(&views_->rooms);
    roomlist_->setItemDelegate(new TRoomRowDelegate(*this, roomlist_));
    SetColumns(roomlist_, {100, 41, 90}, {});
    roomsColumn->addWidget(roomlist_, 1);
    roomsColumn->addWidget(NewButton("createroomtb", QStringLiteral("New Room"), rooms));

    // Users with the own-status buttons.
    auto* users = new QWidget(right_);
    auto* usersColumn = new QVBoxLayout(users);
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
        QToolButton* b = NewButton(m.name, QString::fromLatin1(m.caption), users);
        b->setToolTip(QString::fromLatin1(m.hint));
        b->setCheckable(true);
        statusGroup_->addButton(b, m.status);
        meRow->addWidget(b);
    }
    connect(Button("meactive"), &QToolButton::clicked, this,
            [this] { SkinGuard("Tzrbrowser.meactiveClick", [&] { meactiveClick(); }); });
    connect(Button("mebrb"), &QToolButton::clicked, this,
            [this] { SkinGuard("Tzrbrowser.mebrbClick", [&] { mebrbClick(); }); });
    connect(Button("meaway"), &QToolButton::clicked, this,
            [this] { SkinGuard("Tzrbrowser.meawayClick", [&] { meawayClick(); }); });
    connect(Button("mesleeping"), &QToolButton::clicked, this,
            [this] { SkinGuard("Tzrbrowser.mesleepingClick", [&] { mesleepingClick(); }); });
    Button("meactive")->setChecked(true);
    QToolButton* whois = NewButton("mewhois", QStringLiteral("Me"), users);
    whois->setToolTip(QStringLiteral("Edit player details..."));
    meRow->addWidget(whois);
    meRow->addStretch(1);
    usersColumn->addLayout(meRow);
    userlist_ = new QListView(users);
    userlist_->setObjectName(QStringLiteral("userlist"));
    userlist_->setModel(&views_->users);
    userlist_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    userlist_->setUniformItemSizes(true);
    userlist_->setItemDelegate(new TUserRowDelegate(*this, userlist_));
    userlist_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    usersColumn->addWidget(userlist_, 1);
    userlist_->viewport()->installEventFilter(
        (filters_[1] = std::make_unique<EventFn>([this](QEvent& e) {
             if (e.type() != QEvent::MouseButtonPress) {
                 return false;
             }
             auto& mouse = static_cast<QMouseEvent&>(e);
             if (mouse.button() == Qt::RightButton) {
                 userlistMouseDown(Qt::RightButton, mouse.position().toPoint(),
                                   mouse.globalPosition().toPoint());
                 return true;
             }
             const QPoint at = mouse.position().toPoint();
             if (mouse.button() == Qt::LeftButton && at.x() > 6 && at.x() < 18) {
                 const QModelIndex index = userlist_->indexAt(at);
                 const auto kind = static_cast<UserRowKind>(index.data(UserRowKindRole).toInt());
                 if (index.isValid() &&
                     (kind == UserRowKind::FriendsHeader || kind == UserRowKind::UsersHeader ||
                      kind == UserRowKind::IgnoreHeader)) {
                     userlistMouseDown(Qt::LeftButton, at, mouse.globalPosition().toPoint());
                     return true;
                 }
             }
             userlistMouseDown(mouse.button(), at, mouse.globalPosition().toPoint());
             return false;
         })).get());

    columns_->addWidget(left_);
    columns_->addWidget(right_);
    columns_->setStretchFactor(0, 1);
    outer->addWidget(columns_, 1);

    connect(creategame, &QToolButton::clicked, this,
            [this] { SkinGuard("Tzrbrowser.creategameClick", [&] { creategameClick(); }); });
    connect(ping, &QToolButton::clicked, this, [this] {
        SkinGuard("Tzrbrowser.pingregionsbuttonClick", [&] { pingregionsbuttonClick(); });
    });
    connect(showstats, &QToolButton::clicked, this,
            [this] { SkinGuard("Tzrbrowser.showstatsClick", [&] { showstatsClick(); }); });
    connect(whois, &QToolButton::clicked, this,
            [this] { SkinGuard("Tzrbrowser.mewhoisClick", [&] { mewhoisClick(); }); });
    connect(Button("createroomtb"), &QToolButton::clicked, this,
            [this] { SkinGuard("Tzrbrowser.createroomtbClick", [&] { createroomtbClick(); }); });
    connect(gamelist_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        SkinGuard("Tzrbrowser.gamelistColumnClick", [&] { gamelistColumnClick(column); });
    });
    connect(roomlist_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        SkinGuard("Tzrbrowser.roomlistDblClick",
                  [&] { roomlistDblClick(roomlist_->visualRect(index).center()); });
    });
    connect(gamelist_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        SkinGuard("Tzrbrowser.gamelistDblClick",
                  [&] { gamelistDblClick(gamelist_->visualRect(index).center()); });
    });
    chateb_->installEventFilter((filters_[2] = std::make_unique<EventFn>([this](QEvent& e) {
                                     if (e.type() != QEvent::KeyPress) {
                                         return false;
                                     }
                                     auto& key = static_cast<QKeyEvent&>(e);
                                     if (key.key() == Qt::Key_Return ||
                                         key.key() == Qt::Key_Enter) {
                                         chatebKeyPress();
                                         return true;
                                     }
                                     return chatebKeyDown(key.key());
                                 })).get());
    connect(chateb_, &QLineEdit::textEdited, this, [this](const QString& text) {
        chatEdit_.text = QStringToCp1252(text);
        chatEdit_.itemIndex = -1;
    });
}

void Tzrbrowser::BuildMenus() {
    changefontpopup_ = new QMenu(this);
    changefontpopup_->setObjectName(QStringLiteral("changefontpopup"));
    connect(changefontpopup_->addAction(QStringLiteral("Change Font...")), &QAction::triggered,
            this, [this] {
                SkinGuard("Tzrbrowser.browserchatchangefontClick",
                          [&] { browserchatchangefontClick(); });
            });
    changefontpopup_->actions().back()->setObjectName(QStringLiteral("browserchatchangefont"));
    connect(changefontpopup_->addAction(QStringLiteral("Restore Default Font")),
            &QAction::triggered, this, [this] {
                SkinGuard("Tzrbrowser.browserchatrestoreClick", [&] { browserchatrestoreClick(); });
            });
    changefontpopup_->actions().back()->setObjectName(QStringLiteral("browserchatrestore"));
    chatbox_->SetPopupMenu(changefontpopup_);

    userpopupmenu_ = new QMenu(this);
    userpopupmenu_->setObjectName(QStringLiteral("userpopupmenu"));
    const auto item = [this](QMenu* menu, const char* name, const QString& text,
                             void (Tzrbrowser::*handler)()) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this,
                [this, name, handler] { SkinGuard(name, [&] { (this->*handler)(); }); });
        return a;
    };
    QMenu* status = userpopupmenu_->addMenu(QStringLiteral("Change user's status to"));
    status->menuAction()->setObjectName(QStringLiteral("statussub"));
    item(status, "setnormal", QStringLiteral("normal."), &Tzrbrowser::setnormalClick);
    item(status, "setvoice", QStringLiteral("voice."), &Tzrbrowser::setvoiceClick);
    item(status, "setoperator", QStringLiteral("operator."), &Tzrbrowser::setoperatorClick);
    QMenu* kick = userpopupmenu_->addMenu(QStringLiteral("Kick user"));
    kick->menuAction()->setObjectName(QStringLiteral("kicksub"));
    item(kick, "kickwomsg", QStringLiteral("without message."), &Tzrbrowser::kickwomsgClick);
    item(kick, "kickwmsg", QStringLiteral("with message..."), &Tzrbrowser::kickwmsgClick);
    item(kick, "kickand5minban", QStringLiteral("and ban for 5 min..."),
         &Tzrbrowser::kickand5minbanClick);
    item(kick, "kickandban", QStringLiteral("and ban..."), &Tzrbrowser::kickandbanClick);
    item(userpopupmenu_, "whoismenu", QStringLiteral("Show player details..."),
         &Tzrbrowser::whoismenuClick);
    item(userpopupmenu_, "requestrps", QStringLiteral("Request permanent user list..."),
         &Tzrbrowser::requestrpsClick);
    QMenu* friends = userpopupmenu_->addMenu(QStringLiteral("Friends list"));
    friends->menuAction()->setObjectName(QStringLiteral("friendsub"));
    item(friends, "addnewfriend", QStringLiteral("Add to"), &Tzrbrowser::addnewfriendClick);
    item(friends, "removefriend", QStringLiteral("Remove from"), &Tzrbrowser::removefriendClick);
    item(userpopupmenu_, "invitegame", QStringLiteral("Invite user to your game."),
         &Tzrbrowser::invitegameClick);
    QMenu* ignore = userpopupmenu_->addMenu(QStringLiteral("Ignore list"));
    ignore->menuAction()->setObjectName(QStringLiteral("ignoresub"));
    item(ignore, "addignoreusermenu", QStringLiteral("Add to"),
         &Tzrbrowser::addignoreusermenuClick);
    item(ignore, "removeignoreuser", QStringLiteral("Remove from"),
         &Tzrbrowser::removeignoreuserClick);
}

void Tzrbrowser::resizeEvent(QResizeEvent* event) {
    TZRSkinForm::resizeEvent(event);
    if (!sized_ && isVisible() && columns_) {
        ApplySizes();
    }
    if (gamelist_) {
        gamelist_->viewport()->update();
        roomlist_->viewport()->update();
    }
}

// ---- configuration

void Tzrbrowser::ApplyConfig(const TConfig& config) {
    SetColumns(gamelist_, ColumnWidths(gamelist_, GameColumns), config.bgamelistw);
    SetColumns(roomlist_, ColumnWidths(roomlist_, 3), config.broomlistw);
    rightWidth_ = config.brightwidth;
    topLeftHeight_ = config.btopleftheight;
    topRightHeight_ = config.btoprightheight;
    sized_ = false;
    if (isVisible()) {
        ApplySizes();
    }
    if (!config.fbrowserchat.name.empty()) {
        chatbox_->setFont(FontFromSpec(config.fbrowserchat));
    }
}

void Tzrbrowser::ApplySizes() {
    const auto split = [](QSplitter* splitter, int first, bool firstFixed) {
        const QList<int> now = splitter->sizes();
        int total = 0;
        for (int size : now) {
            total += size;
        }
        if (total <= 0) {
            return false;
        }
        const int fixed = std::clamp(first, std::min(30, total), std::max(total - 30, 0));
        splitter->setSizes(firstFixed ? QList<int>{fixed, total - fixed}
                                      : QList<int>{total - fixed, fixed});
        return true;
    };
    const bool columns = split(columns_, rightWidth_ > 0 ? rightWidth_ : RoomListWidth(), false);
    const bool left = split(left_, topLeftHeight_, true);
    const bool right = split(right_, topRightHeight_, true);
    sized_ = columns && left && right;
}

// Without a stored width the right column fits the room list's columns beside a vertical
// scroll bar, so that a long room list does not hide the last column.
int Tzrbrowser::RoomListWidth() const {
    int width = 2 * roomlist_->frameWidth() +
                roomlist_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                roomlist_->verticalScrollBar());
    for (int c = 0; c < roomlist_->header()->count(); ++c) {
        width += roomlist_->columnWidth(c);
    }
    return width;
}

void Tzrbrowser::showEvent(QShowEvent* event) {
    TZRSkinForm::showEvent(event);
    if (!sized_) {
        ApplySizes();
    }
}

void Tzrbrowser::GatherConfig(TConfig& config) const {
    config.bgamelistw = GetColumnWidths(ColumnWidths(gamelist_, GameColumns));
    config.broomlistw = GetColumnWidths(ColumnWidths(roomlist_, 3));
    const QList<int> columns = columns_->sizes();
    if (columns.size() == 2 && columns[1] > 0) {
        config.brightwidth = columns[1];
    }
    const QList<int> left = left_->sizes();
    if (left.size() == 2 && left[0] > 0) {
        config.btopleftheight = left[0];
    }
    const QList<int> right = right_->sizes();
    if (right.size() == 2 && right[0] > 0) {
        config.btoprightheight = right[0];
    }
    config.fbrowserchat = SpecFromFont(chatbox_->font(), config.fbrowserchat.color);
}

void Tzrbrowser::SetIcons(const std::vector<IconTile>& tiles) {
    int state = 0, privilege = 0;
    for (const IconTile& tile : tiles) {
        const QImage image = TileImage(tile);
        if (tile.target == "userliststateimagelist") {
            if (state < static_cast<int>(stateIcons_.size())) {
                stateIcons_[static_cast<std::size_t>(state++)] = image;
            }
        } else if (tile.target == "userliststatusimagelist") {
            if (privilege < static_cast<int>(privilegeIcons_.size())) {
                privilegeIcons_[static_cast<std::size_t>(privilege++)] = image;
            }
        } else if (tile.target == "roomlistimagelist") {
            roomKeyIcon_ = image;
            roomlist_->viewport()->update();
        } else if (tile.target == "lockimage") {
            lockimage_->setPixmap(QPixmap::fromImage(image));
        } else if (tile.target == "modimage") {
            modimage_->setPixmap(QPixmap::fromImage(image));
        } else if (QToolButton* button = Button(std::string(tile.target).c_str())) {
            button->setIcon(QIcon(QPixmap::fromImage(image)));
            if (button->text().size() <= 5) {
                button->setToolButtonStyle(Qt::ToolButtonIconOnly);  // a stand-in caption
            }
        }
    }
    userlist_->viewport()->update();
}

const QImage& Tzrbrowser::StateIcon(int index) const {
    static const QImage none;
    return index >= 0 && index < static_cast<int>(stateIcons_.size())
               ? stateIcons_[static_cast<std::size_t>(index)]
               : none;
}

const QImage& Tzrbrowser::PrivilegeIcon(int index) const {
    static const QImage none;
    return index >= 0 && index < static_cast<int>(privilegeIcons_.size())
               ? privilegeIcons_[static_cast<std::size_t>(index)]
               : none;
}

// ---- labels and buttons the lobby sets

void Tzrbrowser::SetRoomNameLabel(const std::string& text) {
    roomname_->setText(Cp1252ToQString(text));
}

void Tzrbrowser::ShowLockIcon(bool shown) {
    lockimage_->setVisible(shown);
}

void Tzrbrowser::ShowModeratedIcon(bool shown) {
    modimage_->setVisible(shown);
}

void Tzrbrowser::SetOwnStatusButton(OwnStatusButton down) {
    const char* name = down == OwnStatusButton::meaway       ? "meaway"
                       : down == OwnStatusButton::mebrb      ? "mebrb"
                       : down == OwnStatusButton::mesleeping ? "mesleeping"
                       : down == OwnStatusButton::meactive   ? "meactive"
                                                             : nullptr;
    if (name) {
        Button(name)->setChecked(true);
    }
}

// ---- handlers

void Tzrbrowser::misctimerTimer() {
    LobbyIdleTick();
    if (ClientState.lobby.LobbyLinkState != sbDown) {
        topicbanner_->banner.Tick();
        topicbanner_->update();
    }
}

void Tzrbrowser::showstatsClick() {
    const bool showStats = !statspanel_->isVisibleTo(this);
    statspanel_->setVisible(showStats);
    gamelistpanel_->setVisible(!showStats);
    gamelabel_->setText(showStats ? QStringLiteral("Overall Game Stats")
                                  : QStringLiteral("Create and Join Games"));
    statscaption_->setText(showStats ? QStringLiteral("Hide stats") : QStringLiteral("Show stats"));
}

void Tzrbrowser::gamelistColumnClick(int column) {
    sort_.ColumnClick(column);
    views_->games.sort(sort_.column, sort_.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void Tzrbrowser::OwnStatusClick(int status) {
    if (!OwnStatusClicked(status)) {
        Button("meactive")->setChecked(true);
    }
}

void Tzrbrowser::meactiveClick() {
    OwnStatusClick(stActive);
}

void Tzrbrowser::mebrbClick() {
    OwnStatusClick(stBeRightBack);
}

void Tzrbrowser::meawayClick() {
    OwnStatusClick(stAway);
}

void Tzrbrowser::mesleepingClick() {
    OwnStatusClick(stSleeping);
}

void Tzrbrowser::mewhoisClick() {
    // The details dialog asks for the own statistics itself.
    if (hooks.editOwnDetails) {
        hooks.editOwnDetails();
    } else {
        EditOwnDetails();
    }
}

void Tzrbrowser::roomstatusboxDblClick() {
    if (hooks.roomDetails) {
        hooks.roomDetails();
    }
}

void Tzrbrowser::creategameClick() {
    CreateGameClicked();
}

void Tzrbrowser::pingregionsbuttonClick() {
    pingserversClick();
}

void Tzrbrowser::browserchatchangefontClick() {
    QFont font = chatbox_->font();
    bool ok = false;
    if (hooks.pickFont) {
        ok = hooks.pickFont(font);
    } else {
        font = QFontDialog::getFont(&ok, font, this);
    }
    if (ok) {
        chatbox_->setFont(font);
    }
}

void Tzrbrowser::browserchatrestoreClick() {
    chatbox_->setFont(font());
}

void Tzrbrowser::topicbannerMouseDown(int x, int y) {
    topicbanner_->banner.MouseDown(x, y);
}

void Tzrbrowser::topicbannerMouseMove(Qt::MouseButtons buttons, int x, int y) {
    if (buttons & Qt::LeftButton) {
        topicbanner_->banner.MouseMove(x, y);
        topicbanner_->update();
    }
}

void Tzrbrowser::topicbannerMouseUp() {
    topicbanner_->banner.MouseUp();
}

void Tzrbrowser::chatebpanelResize() {
    chateb_->setGeometry(0, 0, chatebpanel_->width() - 3, chatebpanel_->height() - 1);
}

void Tzrbrowser::createroomtbClick() {
    std::string name;
    if (hooks.newRoom && hooks.newRoom(name)) {
        CreateRoomNamed(name);
    }
}

void Tzrbrowser::roomlistDblClick(const QPoint& at) {
    const QModelIndex index = roomlist_->indexAt(at);
    if (!index.isValid()) {
        return;
    }
    JoinRoomClicked(views_->rooms.IdAt(index.row()));
}

void Tzrbrowser::gamelistDblClick(const QPoint& at) {
    const QModelIndex index = gamelist_->indexAt(at);
    if (!index.isValid()) {
        return;
    }
    RequestJoinGame(views_->games.IdAt(index.row()));
}

std::vector<std::uint32_t> Tzrbrowser::SelectedUsers() const {
    std::vector<int> rows;
    for (const QModelIndex& index : userlist_->selectionModel()->selectedIndexes()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    std::vector<std::uint32_t> uids;
    for (int row : rows) {
        const QVariant id = views_->users.index(row).data(LobbyIdRole);
        if (id.isValid()) {
            uids.push_back(id.toUInt());
        }
    }
    return uids;
}

std::uint32_t Tzrbrowser::FocusedUser() const {
    const QVariant id = userlist_->currentIndex().data(LobbyIdRole);
    return id.isValid() ? id.toUInt() : 0;
}

void Tzrbrowser::userlistMouseDown(Qt::MouseButton button, const QPoint& at,
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
            userlist_->selectionModel()->select(views_->users.index(row),
                                                QItemSelectionModel::Deselect);
        }
    }
    if (kept.empty()) {
        return;
    }
    const tSbUser* user = FindUserByUid(FocusedUser());
    if (!user) {
        return;
    }
    const TUserMenu m = ConfigureUserMenu(*user);
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
        if (QAction* a = MenuItem(e.name)) {
            a->setEnabled(e.on);
        }
    }
    if (menuOpener_) {
        menuOpener_(*userpopupmenu_, globalAt);
    } else {
        userpopupmenu_->popup(QCursor::pos());
    }
}

void Tzrbrowser::setnormalClick() {
    SetUsersNormal(SelectedUsers());
}

void Tzrbrowser::setvoiceClick() {
    SetUsersVoice(SelectedUsers());
}

void Tzrbrowser::setoperatorClick() {
    SetUsersOperator(SelectedUsers());
}

void Tzrbrowser::kickwomsgClick() {
    KickUsers(SelectedUsers());
}

void Tzrbrowser::kickwmsgClick() {
    const std::vector<std::string> names = SelectedUserNames(SelectedUsers());
    std::string message;
    if (hooks.message && hooks.message(message)) {
        KickUsersWithMessage(names, message);
    }
}

void Tzrbrowser::BanClick(int seconds) {
    const std::vector<std::string> names = SelectedUserNames(SelectedUsers());
    std::string message;
    if (hooks.message && hooks.message(message)) {
        BanUsers(names, message, seconds);
    }
}

void Tzrbrowser::kickandbanClick() {
    BanClick(0);
}

void Tzrbrowser::kickand5minbanClick() {
    BanClick(300);
}

void Tzrbrowser::whoismenuClick() {
    WhoisUser(FocusedUser());
}

void Tzrbrowser::requestrpsClick() {
    RequestPermanentList();
}

void Tzrbrowser::addnewfriendClick() {
    AddUsersAsFriends(SelectedUsers());
}

void Tzrbrowser::removefriendClick() {
    RemoveFriends(SelectedUsers());
}

void Tzrbrowser::invitegameClick() {
    InviteUser(FocusedUser());
}

void Tzrbrowser::addignoreusermenuClick() {
    AddUsersToIgnore(SelectedUsers());
}

void Tzrbrowser::removeignoreuserClick() {
    RemoveIgnored(SelectedUsers());
}

void Tzrbrowser::SyncChatEdit() {
    const QString text = Cp1252ToQString(chatEdit_.text);
    if (chateb_->text() != text) {
        chateb_->setText(text);
    }
    chateb_->setCursorPosition(static_cast<int>(chateb_->text().size()));
}

bool Tzrbrowser::chatebKeyDown(int qtKey) {
    int vk = 0;
    switch (qtKey) {
        case Qt::Key_Up:
            vk = 38;
            break;
        case Qt::Key_Down:
            vk = 40;
            break;
        case Qt::Key_Tab:
            vk = 9;
            break;
        case Qt::Key_F8:
            vk = 119;
            break;
        case Qt::Key_F12:
            vk = 123;
            break;
        default:
            return false;
    }
    chatEdit_.text = QStringToCp1252(chateb_->text());
    const bool used = LobbyChatKeyDown(chatEdit_, vk);
    SyncChatEdit();
    // Tab would move the focus out of the edit.
    return used || qtKey == Qt::Key_Tab;
}

void Tzrbrowser::chatebKeyPress() {
    chatEdit_.text = QStringToCp1252(chateb_->text());
    LobbyChatEnter(chatEdit_);
    SyncChatEdit();
}

}  // namespace pk
