#include "lobby/ui/zrbrowsergames.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStyleOptionViewItem>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "core/zrconst.h"
#include "lobby/zrlobbyjoin.h"
#include "lobby/zrlobbyviews.h"
#include "lobby/zrregionlist.h"

namespace pk {

namespace {

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

}  // namespace

TBrowserGames::TBrowserGames(TGameListModel& games, QWidget* parent)
    : QWidget(parent), games_(games) {
    auto* gamesColumn = new QVBoxLayout(this);
    gamesColumn->setContentsMargins(0, 0, 0, 0);
    auto* gameBar = new QHBoxLayout();
    gamelabel_ = new QLabel(QStringLiteral("Create and Join Games"), this);
    gamelabel_->setObjectName(QStringLiteral("gamelabel"));
    QFont bold = font();
    bold.setBold(true);
    gamelabel_->setFont(bold);
    gameBar->addWidget(gamelabel_, 1);
    QToolButton* creategame = NewBrowserButton("creategame", QStringLiteral("New Game!"), this);
    QToolButton* ping = NewBrowserButton("pingregionsbutton", QStringLiteral("Ping Servers"), this);
    // The caption is the button's own text, as with its neighbours, so that a click on the
    // words toggles the statistics too.
    QToolButton* showstats = NewBrowserButton("showstats", QStringLiteral("Show Stats"), this);
    statscaption_ = showstats;
    gameBar->addWidget(creategame);
    gameBar->addWidget(ping);
    gameBar->addWidget(showstats);
    gamesColumn->addLayout(gameBar);
    gamelistpanel_ = new QWidget(this);
    gamelistpanel_->setObjectName(QStringLiteral("gamelistpanel"));
    auto* gamePanelLayout = new QVBoxLayout(gamelistpanel_);
    gamePanelLayout->setContentsMargins(0, 0, 0, 0);
    gamelist_ = ReportView(gamelistpanel_, "gamelist");
    gamelist_->setModel(&games_);
    gamelist_->header()->setSectionsClickable(true);
    gamelist_->header()->setSortIndicatorShown(false);
    // The Ping column holds at most a region given up, "9999ms": 45 pixels fit it only in
    // narrower fonts than the list's.
    const int pingWidth = std::max(
        45, TextColumnWidth(gamelist_, QString::number(NoPingTime) + QStringLiteral("ms")));
    SetColumns(gamelist_, {140, 60, 45, 45, 70, 90, pingWidth, 75}, {});
    gamePanelLayout->addWidget(gamelist_);
    statspanel_ = new QWidget(this);
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

    connect(creategame, &QToolButton::clicked, this, PK_BROWSER_HANDLER(creategameClick));
    connect(ping, &QToolButton::clicked, this, PK_BROWSER_HANDLER(pingregionsbuttonClick));
    connect(showstats, &QToolButton::clicked, this, PK_BROWSER_HANDLER(showstatsClick));
    connect(gamelist_->header(), &QHeaderView::sectionClicked, this,
            PK_BROWSER_HANDLER(gamelistColumnClick));
    connect(gamelist_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        PK_BROWSER_HANDLER(gamelistDblClick)(gamelist_->visualRect(index).center());
    });
}

void TBrowserGames::showstatsClick() {
    const bool showStats = !statspanel_->isVisibleTo(this);
    statspanel_->setVisible(showStats);
    gamelistpanel_->setVisible(!showStats);
    gamelabel_->setText(showStats ? QStringLiteral("Overall Game Stats")
                                  : QStringLiteral("Create and Join Games"));
    statscaption_->setText(showStats ? QStringLiteral("Hide stats") : QStringLiteral("Show stats"));
}

void TBrowserGames::gamelistColumnClick(int column) {
    sort_.ColumnClick(column);
    games_.sort(sort_.column, sort_.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void TBrowserGames::creategameClick() {
    CreateGameClicked();
}

void TBrowserGames::pingregionsbuttonClick() {
    pingserversClick();
}

void TBrowserGames::gamelistDblClick(const QPoint& at) {
    const QModelIndex index = gamelist_->indexAt(at);
    if (!index.isValid()) {
        return;
    }
    RequestJoinGame(games_.IdAt(index.row()));
}

}  // namespace pk
