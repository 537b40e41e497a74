#pragma once
// The room window's player list: the six slots and the spectators, drawn as the room model lists
// them, with the own row's ready mark and "Play!"/"Watch" button. A right click opens the player
// menu on the row.
#include <QImage>
#include <QListWidget>
#include <vector>

#include "room/zrpartyline.h"

class QPainter;

namespace pk {

class TModerationMenu;
class TRoomChatPanel;

class TRoomPlayerList : public QListWidget {
public:
    // `chat` takes the keys back after a click on the own row.
    TRoomPlayerList(QWidget* parent, TRoomChatPanel& chat);

    // The menu a right click on a player's row opens.
    void SetRowMenu(TModerationMenu* menu) { rowMenu_ = menu; }
    // The icon sheet's pictures: operator, not ready, ready.
    void SetRowImages(std::vector<QImage> images) { listImages_ = std::move(images); }

    // Asks for the rows to follow the room when the event loop comes round.
    void RefreshUserList();
    // Brings the rows in line with the room when a refresh is waiting.
    void FlushUserList();
    void RepaintUserList();

    // The player of a row as the room holds it now, nullptr for the header and open slots.
    tclient* RowPlayer(int row) const;
    tclient* SelectedPlayer() const;
    // The row's picture as the list draws it.
    QImage RowImage(int row, bool selected, bool focused) const;
    // The same of the rows as shown, without bringing them in line first: what painting uses,
    // as a paint pass must not change the rows it paints.
    QImage ShownRowImage(int row, bool selected, bool focused) const;
    // A press on the list at a point of the list's viewport.
    void userlistMouseDown(const QPoint& at, Qt::MouseButton button);

protected:
    // Presses on the rows.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    tclient* ShownRowPlayer(int row) const;  // of the rows as shown, without a refresh
    // A player's row from the left: operator and ready marks, slot number, name (highlighted
    // when selected) and team; the name's rectangle when highlighted.
    QRect DrawPlayer(QPainter& p, const tclient& c, int y, bool selected) const;

    TRoomChatPanel& chat_;
    TModerationMenu* rowMenu_ = nullptr;
    std::vector<RoomRow> rows_;  // the rows the list shows, as last refreshed
    bool refreshQueued_ = false;
    std::vector<QImage> listImages_;
    // The width of the "Play!"/"Watch" button last drawn: a press that far from the own row's
    // right edge moves the player.
    mutable int MoveButtonWidth = 0;
};

}  // namespace pk
