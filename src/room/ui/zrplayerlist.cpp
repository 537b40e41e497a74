#include "room/ui/zrplayerlist.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "game/zrgame.h"
#include "platform/cp1252.h"
#include "room/ui/zrmoderationmenu.h"
#include "room/ui/zrroomchatpanel.h"
#include "room/ui/zrroomguard.h"
#include "room/zrroomhost.h"

namespace pk {

namespace {

constexpr int kRowHeight = 18;

class RowDelegate : public QStyledItemDelegate {
public:
    explicit RowDelegate(TRoomPlayerList* list) : QStyledItemDelegate(list), list_(list) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        ReportErrors("Tzrpartyline.userlistDrawItem", [&] {
            const bool selected = option.state & QStyle::State_Selected;
            const bool focused = option.state & QStyle::State_HasFocus;
            const QImage row = list_->ShownRowImage(index.row(), selected, focused);
            painter->drawImage(option.rect.topLeft(), row);
        });
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {10, kRowHeight};
    }

private:
    TRoomPlayerList* list_;
};

int TextWidth(const QFont& font, const QString& text) {
    return QFontMetrics(font).horizontalAdvance(text);
}

void Text(QPainter& p, int x, int top, const QString& text) {
    p.drawText(x, top + p.fontMetrics().ascent(), text);
}

}  // namespace

TRoomPlayerList::TRoomPlayerList(QWidget* parent, TRoomChatPanel& chat)
    : QListWidget(parent), chat_(chat) {
    setObjectName(QStringLiteral("userlist"));
    setUniformItemSizes(true);
    setItemDelegate(new RowDelegate(this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->installEventFilter(this);
}

bool TRoomPlayerList::eventFilter(QObject* watched, QEvent* event) {
    if (watched != viewport() ||
        (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick))
        return QListWidget::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    PK_ROOM_HANDLER(userlistMouseDown, mouse->position().toPoint(), mouse->button());
    // A right click selects nothing by itself; the handler did what is needed.
    return mouse->button() != Qt::LeftButton;
}

namespace {

QListWidgetItem* NewRowItem(const RoomRow& r) {
    return new QListWidgetItem(
        r.kind == RoomRowKind::Slot
            ? QString::number(r.slot)
            : (r.kind == RoomRowKind::Header ? QStringLiteral("!spectators") : QString()));
}

}  // namespace

void TRoomPlayerList::RefreshUserList() {
    // The rows follow the room once when the event loop comes round, however many players
    // arrived or left meanwhile: rebuilding the whole list for each of thousands of arrivals
    // froze the window. Whatever reads the rows first brings them in line.
    if (refreshQueued_)
        return;
    refreshQueued_ = true;
    QMetaObject::invokeMethod(
        this, [this] { ReportErrors("Tzrpartyline.RefreshUserList", [&] { FlushUserList(); }); },
        Qt::QueuedConnection);
}

void TRoomPlayerList::FlushUserList() {
    if (!refreshQueued_)
        return;
    refreshQueued_ = false;
    // Only the rows that differ from those shown are replaced, so the list keeps its selection
    // and scroll position by itself, and paints once.
    std::vector<RoomRow> rows = UserListRows();
    if (static_cast<int>(rows_.size()) != count()) {
        rows_.clear();  // out of step with the widget: refill it
        clear();
    }
    std::size_t head = 0;
    while (head < rows.size() && head < rows_.size() && rows[head] == rows_[head]) ++head;
    std::size_t tail = 0;
    while (tail < rows.size() - head && tail < rows_.size() - head &&
           rows[rows.size() - 1 - tail] == rows_[rows_.size() - 1 - tail])
        ++tail;
    const int from = static_cast<int>(head);
    for (std::size_t gone = rows_.size() - head - tail; gone > 0; --gone) delete takeItem(from);
    for (std::size_t i = head; i < rows.size() - tail; ++i)
        insertItem(static_cast<int>(i), NewRowItem(rows[i]));
    rows_ = std::move(rows);
    RepaintUserList();
}

void TRoomPlayerList::RepaintUserList() {
    // The rows are painted when the event loop comes round, once however many changes came
    // meanwhile, not at once for each.
    viewport()->update();
}

tclient* TRoomPlayerList::RowPlayer(int row) const {
    const_cast<TRoomPlayerList*>(this)->FlushUserList();
    return ShownRowPlayer(row);
}

tclient* TRoomPlayerList::ShownRowPlayer(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || row >= count())
        return nullptr;
    const RoomRow& r = rows_[static_cast<std::size_t>(row)];
    return r.kind == RoomRowKind::Slot ? SlotPlayers[static_cast<std::size_t>(r.slot)]
                                       : RowPlayerNow(r);
}

tclient* TRoomPlayerList::SelectedPlayer() const {
    return RowPlayer(currentRow());
}

QImage TRoomPlayerList::RowImage(int row, bool selected, bool focused) const {
    const_cast<TRoomPlayerList*>(this)->FlushUserList();
    return ShownRowImage(row, selected, focused);
}

namespace {

constexpr int kMiddle = kRowHeight / 2;

// The line across the row with "Spectator List" on it, in a smaller bold face.
void DrawSpectatorHeader(QPainter& p, const QPalette& pal, const QFont& listFont, int width) {
    const int M = kMiddle;
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(3, M - 1, width - 3, M - 1);
    p.setPen(pal.color(QPalette::Button));
    p.drawLine(3, M, width - 3, M);
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(3, M + 1, width - 3, M + 1);
    QFont small = listFont;
    small.setPointSize(std::max(listFont.pointSize() - 1, 1));
    small.setBold(true);
    p.setFont(small);
    const int h = p.fontMetrics().height();
    const QString caption = QStringLiteral("Spectator List");
    const int top = M - h / 2 - 1;
    p.fillRect(9, top, p.fontMetrics().horizontalAdvance(caption), h, pal.color(QPalette::Base));
    p.setPen(pal.color(QPalette::Dark));
    Text(p, 9, top, caption);
    p.setFont(listFont);
}

// An open slot: its number, then "(Open)" in dark red.
void DrawOpenSlot(QPainter& p, int slot, int x0, int y) {
    const QString number = QString::number(slot) + QStringLiteral(". ");
    Text(p, x0, y, number);
    p.setPen(QColor(0x80, 0, 0));
    Text(p, x0 + p.fontMetrics().horizontalAdvance(number), y, QStringLiteral("(Open)"));
}

// The own row's "Play!"/"Watch" button at the right end; the width a press there takes.
int DrawMoveButton(QPainter& p, const QPalette& pal, int width, int y) {
    const QString label =
        ClientState.game.Spectating ? QStringLiteral("Play!") : QStringLiteral("Watch");
    const int w = p.fontMetrics().horizontalAdvance(label);
    const QRect button(QPoint(width - w - 8, 1), QPoint(width - 2, 16));
    p.fillRect(button, pal.color(QPalette::Button));
    p.setPen(pal.color(QPalette::Light));
    p.drawLine(button.topLeft(), button.topRight());
    p.drawLine(button.topLeft(), button.bottomLeft());
    p.setPen(pal.color(QPalette::Dark));
    p.drawLine(button.bottomLeft(), button.bottomRight());
    p.drawLine(button.topRight(), button.bottomRight());
    p.setPen(QColor(0, 0, 255));
    Text(p, width - w - 4, y, label);
    return button.width() + 1;
}

}  // namespace

QImage TRoomPlayerList::ShownRowImage(int row, bool selected, bool focused) const {
    const int width = std::max(viewport()->width(), 1);
    const int H = kRowHeight;
    QImage image(width, H, QImage::Format_RGB32);
    const QPalette& pal = palette();
    image.fill(pal.color(QPalette::Base));
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return image;
    RoomRow r = rows_[static_cast<std::size_t>(row)];
    r.player = ShownRowPlayer(row);  // painting never changes the rows
    if (r.kind == RoomRowKind::Spectator && !r.player)
        return image;  // gone before the list came to be refreshed
    QPainter p(&image);
    p.setFont(font());
    p.setPen(pal.color(QPalette::Text));
    const int y = kMiddle - p.fontMetrics().height() / 2;
    QRect nameRect;
    if (r.kind == RoomRowKind::Header) {
        DrawSpectatorHeader(p, pal, font(), width);
    } else if (r.player == nullptr) {
        DrawOpenSlot(p, r.slot, Settings.rules.startvote != 0 ? 35 : 17, y);
    } else {
        nameRect = DrawPlayer(p, *r.player, y, selected);
        if (r.player == ClientState.game.OwnPlayer && Settings.rules.allowmove != 0)
            MoveButtonWidth = DrawMoveButton(p, pal, width, y);
    }
    if (focused) {
        p.setPen(
            QPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text), 1, Qt::DotLine));
        p.drawRect(0, 0, width - 1, H - 1);
        if (!nameRect.isNull())
            p.drawRect(nameRect.adjusted(0, 0, -1, -1));
    }
    return image;
}

QRect TRoomPlayerList::DrawPlayer(QPainter& p, const tclient& c, int y, bool selected) const {
    const int H = kRowHeight;
    const int M = kMiddle;
    const QPalette& pal = palette();
    const QFont listFont = font();
    const auto image16 = [&](int index, int x, int top) {
        if (index >= 0 && index < static_cast<int>(listImages_.size()))
            p.drawImage(x, top, listImages_[static_cast<std::size_t>(index)]);
    };
    const bool vote = Settings.rules.startvote != 0;
    QRect nameRect;
    QFont bold = listFont;
    bold.setBold(true);
    const QString name = Cp1252ToQString(c.name);
    int x;
    if (c.slot > 0) {
        if (IsRoomOperator(c.name))
            image16(0, 1, M - 8);
        const int x0 = vote ? 35 : 17;
        if (vote)
            image16(PlayerReady(c) ? 2 : 1, 17, M - 8);
        const QString number = QString::number(c.slot) + QStringLiteral(". ");
        Text(p, x0, y, number);
        x = x0 + p.fontMetrics().horizontalAdvance(number) - 2;
        const int w = TextWidth(bold, name);
        if (selected) {
            p.fillRect(x, 0, w + 4, H, pal.color(QPalette::Highlight));
            p.setPen(pal.color(QPalette::HighlightedText));
            nameRect = QRect(x, 0, w + 4, H);
        }
        p.setFont(bold);
        Text(p, x + 2, y, name);
        x += p.fontMetrics().horizontalAdvance(name);
        p.setFont(listFont);
    } else {
        const int x0 = 17;
        const int w = TextWidth(listFont, name);
        if (selected) {
            p.fillRect(x0, 0, w + 4, H, pal.color(QPalette::Highlight));
            p.setPen(pal.color(QPalette::HighlightedText));
            nameRect = QRect(x0, 0, w + 4, H);
        }
        Text(p, 19, y, name);
        x = 19 + w;
    }
    p.setPen(pal.color(QPalette::Text));
    if (!c.TeamName.empty())
        Text(p, x + 2, y, QStringLiteral(" (") + Cp1252ToQString(c.TeamName) + QStringLiteral(")"));
    return nameRect;
}

void TRoomPlayerList::userlistMouseDown(const QPoint& at, Qt::MouseButton button) {
    FlushUserList();  // the click meets the rows as the room holds them
    const QModelIndex index = indexAt(at);
    if (!index.isValid()) {
        clearSelection();
        setCurrentRow(-1);
        return;
    }
    const int row = index.row();
    tclient* player = RowPlayer(row);
    if (player != nullptr && player == ClientState.game.OwnPlayer) {
        const QRect rect = visualRect(index);
        const ListClick click = OwnRowClick(at.x() - rect.left(), rect.width(), MoveButtonWidth,
                                            button == Qt::LeftButton);
        if (click.move) {
            Room().ExecuteCommand("move");
            chat_.FocusChat();
        }
        if (click.toggleReady) {
            Room().ExecuteCommand("toggleready");
            chat_.FocusChat();
        }
    }
    if (button == Qt::RightButton && rowMenu_ != nullptr && rowMenu_->PrepareMenuForRow(row))
        rowMenu_->popup(QCursor::pos());
}

}  // namespace pk
