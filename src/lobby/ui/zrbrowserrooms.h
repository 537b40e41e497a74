#pragma once
// The lobby window's rooms panel: the room list (a key picture before the rooms that need a
// key) and the "New Room" button. A double click on a room joins it.
#include <QImage>
#include <QWidget>
#include <vector>

#include "lobby/ui/zrbrowserparts.h"

class QTreeView;

namespace pk {

class TRoomListModel;

class TBrowserRooms : public QWidget {
public:
    TBrowserRooms(TRoomListModel& rooms, const TBrowserHooks& hooks, QWidget* parent);

    QTreeView* roomlist() const { return roomlist_; }
    const QImage& RoomKeyIcon() const { return roomKeyIcon_; }
    // The theme's "roomlistimagelist": the key picture.
    void SetIcons(const std::vector<IconTile>& tiles);
    // The width that shows the list's columns whole beside a vertical scroll bar.
    int ListWidth() const;

    void createroomtbClick();
    void roomlistDblClick(const QPoint& at);

private:
    TRoomListModel& rooms_;
    const TBrowserHooks& hooks_;
    QTreeView* roomlist_ = nullptr;
    QImage roomKeyIcon_;
};

}  // namespace pk
