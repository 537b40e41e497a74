// The lobby window's own painting: the topic banner and the owner-drawn user list rows.
#include "lobby/ui/zrbrowserdraw.h"

#include <QPainter>

#include "core/ui/zrreadable.h"
#include "lobby/ui/zrbrowserrooms.h"
#include "lobby/ui/zrbrowserroomstatus.h"
#include "lobby/ui/zrbrowserusers.h"
#include "lobby/zrlobbymodel.h"
#include "lobby/zrlobbyviews.h"
#include "platform/cp1252.h"

namespace pk {

TTopicBannerBox::TTopicBannerBox(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("topicbanner"));
    // Opaque: the paint covers every pixel, nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTopicBannerBox::paintEvent(QPaintEvent*) {
    ReportErrors("Tzrbrowser.topicbannerPaint", [&] {
        QImage image(size(), QImage::Format_RGB32);
        image.fill(palette().color(QPalette::Window));
        QPainter p(&image);
        p.setFont(font());
        p.setPen(palette().color(QPalette::WindowText));
        const tsbaroom* room = LobbyModel.currentRoom.get();
        if (room && !room->topic.empty()) {
            const QString topic = Cp1252ToQString(room->topic);
            const QFontMetrics metrics(font());
            const int tw = metrics.horizontalAdvance(topic);
            const int th = metrics.height();
            const int y = height() / 2 - th / 2;
            for (int x : banner.Layout(width(), tw)) {
                p.drawText(x, y + metrics.ascent(), topic);
            }
        }
        p.end();
        QPainter screen(this);
        screen.drawImage(0, 0, image);
    });
}

// ---- user list rows

TUserRowDelegate::TUserRowDelegate(const TBrowserUsers& users, QObject* parent)
    : QStyledItemDelegate(parent), users_(users) {}

QSize TUserRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), UserRowHeight};
}

void TUserRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    ReportErrors("Tzrbrowser.userlistDrawItem", [&] { PaintRow(*painter, option, index); });
}

void TUserRowDelegate::PaintRow(QPainter& out, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const QRect rect = option.rect;
    QImage image(rect.size(), QImage::Format_RGB32);
    const QPalette& pal = option.palette;
    image.fill(pal.color(QPalette::Base));
    QPainter p(&image);
    const QFont listFont = option.font;
    p.setFont(listFont);
    const QFontMetrics metrics(listFont);
    const int mid = rect.height() / 2;
    const int th = metrics.height();
    const int textY = mid - th / 2;
    const auto kind = static_cast<UserRowKind>(index.data(UserRowKindRole).toInt());
    const QString name = index.data(Qt::DisplayRole).toString();
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const bool focused = (option.state & QStyle::State_HasFocus) != 0;
    const QColor shadow = pal.color(QPalette::Dark);
    const QColor face = pal.color(QPalette::Button);
    const QColor light = pal.color(QPalette::Light);
    const QColor highlight = pal.color(QPalette::Highlight);
    const QColor base = pal.color(QPalette::Base);

    if (kind == UserRowKind::FriendsHeader || kind == UserRowKind::IgnoreHeader ||
        kind == UserRowKind::UsersHeader) {
        const int w = rect.width();
        p.setPen(shadow);
        p.drawLine(3, mid - 1, w - 3, mid - 1);
        p.setPen(face);
        p.drawLine(3, mid, w - 3, mid);
        p.setPen(light);
        p.drawLine(3, mid + 1, w - 3, mid + 1);
        QFont bold = listFont;
        bold.setBold(true);
        if (bold.pointSize() > 1) {
            bold.setPointSize(bold.pointSize() - 1);
        }
        p.setFont(bold);
        const QString caption = kind == UserRowKind::FriendsHeader ? QStringLiteral("Friends List")
                                : kind == UserRowKind::IgnoreHeader
                                    ? QStringLiteral("Ignored Users")
                                    : QStringLiteral("Room User List");
        const QFontMetrics boldMetrics(bold);
        const int captionWidth = boldMetrics.horizontalAdvance(caption);
        p.fillRect(17, mid - th / 2 - 1, captionWidth + 4, th, base);
        // The shadow of an edge is too faint for text on the usual white list.
        p.setPen(ReadableOn(shadow, base));
        p.drawText(19, textY - 1 + boldMetrics.ascent(), caption);
        const QRect box(7, mid - 5, 9, 9);
        p.fillRect(box, Qt::white);
        p.setPen(QColor(128, 128, 128));
        p.drawRect(box.adjusted(0, 0, -1, -1));
        const bool open = kind == UserRowKind::FriendsHeader  ? ClientState.lobby.ShowFriends
                          : kind == UserRowKind::IgnoreHeader ? ClientState.lobby.ShowIgnore
                                                              : ClientState.lobby.ShowUsers;
        p.setFont(listFont);
        if (open) {
            p.drawLine(box.left() + 2, mid, box.right() - 2, mid);
        } else {
            p.drawLine(box.left() + 2, mid, box.right() - 2, mid);
            p.drawLine(box.left() + 4, box.top() + 2, box.left() + 4, box.bottom() - 2);
        }
    } else {
        int margin = 1;
        QColor textColour = pal.color(QPalette::Text);
        QString suffix;
        const int status = index.data(UserStatusRole).toInt();
        const int privilege = index.data(UserPrivilegeRole).toInt();
        const auto statusIndex = [](int s) {
            switch (s) {
                case 1:
                    return 0;
                case 3:
                    return 1;
                case 2:
                    return 2;
                case 4:
                    return 3;
                case 0:
                    return 4;
                default:
                    return -1;
            }
        };
        const auto drawIcon = [&](const QImage& icon, int x) {
            if (!icon.isNull()) {
                p.drawImage(x, mid - 8, icon);
            }
        };
        bool offlineFriend = false;
        if (kind == UserRowKind::Ignored) {
            margin = 1;
        } else if (kind == UserRowKind::Friend) {
            margin = 17;
            const bool online = index.data(FriendOnlineRole).toBool();
            offlineFriend = !online;
            textColour = online ? highlight : face;
            suffix = index.data(FriendRoomRole).toString();
            const int si = statusIndex(status);
            if (si >= 0) {
                drawIcon(users_.StateIcon(si), 1);
            }
        } else {
            margin = 35;
            const int si = statusIndex(status);
            if (si >= 0) {
                drawIcon(users_.StateIcon(si), 1);
            }
            if (privilege >= 0 && privilege <= 3) {
                drawIcon(users_.PrivilegeIcon(3 - privilege), 17);
            }
        }
        const int nameWidth = metrics.horizontalAdvance(name);
        if (selected) {
            p.fillRect(margin, 0, nameWidth + 4, rect.height(), highlight);
            if (!offlineFriend) {
                textColour = pal.color(QPalette::HighlightedText);
            }
        }
        // The palette's colours for names (an offline friend's is the face of a button, which
        // the usual palettes make white or nearly so) darkened or lightened until they read
        // on the list or on the selection.
        p.setPen(ReadableOn(textColour, selected ? highlight : base));
        p.drawText(margin + 2, textY + metrics.ascent(), name);
        if (!suffix.isEmpty()) {
            p.setPen(Qt::black);
            p.drawText(margin + 2 + nameWidth, textY + metrics.ascent(),
                       QStringLiteral(" (") + suffix + QStringLiteral(")"));
        }
    }
    if (focused) {
        p.setPen(QPen(pal.color(QPalette::Text), 1, Qt::DotLine));
        p.drawRect(0, 0, rect.width() - 1, rect.height() - 1);
    }
    p.end();
    out.drawImage(rect.topLeft(), image);
}

TRoomRowDelegate::TRoomRowDelegate(const TBrowserRooms& rooms, QObject* parent)
    : QStyledItemDelegate(parent), rooms_(rooms) {}

void TRoomRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const QImage& key = rooms_.RoomKeyIcon();
    if (index.column() != 0 || key.isNull() || !index.data(RoomKeyRole).toBool()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem shifted = option;
    shifted.rect.setLeft(option.rect.left() + key.width() + 2);
    QStyledItemDelegate::paint(painter, shifted, index);
    painter->drawImage(option.rect.left() + 1,
                       option.rect.top() + (option.rect.height() - key.height()) / 2, key);
}

}  // namespace pk
