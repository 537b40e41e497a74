#include "lobby/ui/zrbrowserrooms.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "lobby/ui/zrbrowserdraw.h"
#include "lobby/zrlobbyviews.h"
#include "lobby/zrlobbywindow.h"
#include "room/zrroomcontrols.h"

namespace pk {

TBrowserRooms::TBrowserRooms(TRoomListModel& rooms, const TBrowserHooks& hooks, QWidget* parent)
    : QWidget(parent), rooms_(rooms), hooks_(hooks) {
    auto* roomsColumn = new QVBoxLayout(this);
    roomsColumn->setContentsMargins(0, 0, 0, 0);
    roomlist_ = ReportView(this, "roomlist");
    roomlist_->setModel(&rooms_);
    roomlist_->setItemDelegate(new TRoomRowDelegate(*this, roomlist_));
    SetColumns(roomlist_, {100, 41, 90}, {});
    roomsColumn->addWidget(roomlist_, 1);
    QToolButton* createroomtb = NewBrowserButton("createroomtb", QStringLiteral("New Room"), this);
    roomsColumn->addWidget(createroomtb);
    connect(createroomtb, &QToolButton::clicked, this, PK_BROWSER_HANDLER(createroomtbClick));
    connect(roomlist_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        PK_BROWSER_HANDLER(roomlistDblClick)(roomlist_->visualRect(index).center());
    });
}

void TBrowserRooms::SetIcons(const std::vector<IconTile>& tiles) {
    for (const IconTile& tile : tiles) {
        if (tile.target == "roomlistimagelist") {
            roomKeyIcon_ = TileImage(tile);
            roomlist_->viewport()->update();
        }
    }
}

// Without a stored width the window's right column fits this, so that a long room list does
// not hide the last column.
int TBrowserRooms::ListWidth() const {
    int width = 2 * roomlist_->frameWidth() +
                roomlist_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                roomlist_->verticalScrollBar());
    for (int c = 0; c < roomlist_->header()->count(); ++c) {
        width += roomlist_->columnWidth(c);
    }
    return width;
}

void TBrowserRooms::createroomtbClick() {
    std::string name;
    if (hooks_.newRoom && hooks_.newRoom(name)) {
        CreateRoomNamed(name);
    }
}

void TBrowserRooms::roomlistDblClick(const QPoint& at) {
    const QModelIndex index = roomlist_->indexAt(at);
    if (!index.isValid()) {
        return;
    }
    JoinRoomClicked(rooms_.IdAt(index.row()));
}

}  // namespace pk
