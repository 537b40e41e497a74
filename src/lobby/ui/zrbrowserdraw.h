#pragma once
// The user list's owner-drawn rows: section headers with their open/closed box, friends with
// their status icon and room, room users with status and privilege icons.
#include <QStyledItemDelegate>

namespace pk {

class TBrowserRooms;
class TBrowserUsers;

inline constexpr int UserRowHeight = 18;

class TUserRowDelegate : public QStyledItemDelegate {
public:
    TUserRowDelegate(const TBrowserUsers& users, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void PaintRow(QPainter& out, const QStyleOptionViewItem& option,
                  const QModelIndex& index) const;
    const TBrowserUsers& users_;  // the state and privilege icons
};

// The room list's first column: the key picture before the name of a room that needs a key.
class TRoomRowDelegate : public QStyledItemDelegate {
public:
    TRoomRowDelegate(const TBrowserRooms& rooms, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    const TBrowserRooms& rooms_;  // the key picture
};

}  // namespace pk
