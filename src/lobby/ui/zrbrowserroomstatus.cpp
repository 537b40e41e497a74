#include "lobby/ui/zrbrowserroomstatus.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

#include "platform/cp1252.h"
#include "room/zrroomcontrols.h"

namespace pk {

TBrowserRoomStatus::TBrowserRoomStatus(const TBrowserHooks& hooks, QWidget* parent)
    : QWidget(parent), hooks_(hooks) {
    setObjectName(QStringLiteral("roomstatusbox"));
    setAutoFillBackground(true);
    auto* statusRow = new QHBoxLayout(this);
    statusRow->setContentsMargins(4, 2, 4, 2);
    // The room's name and its icons, beside the banner.
    headerpanel_ = new QWidget(this);
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
    topicbanner_ = new TTopicBannerBox(this);
    topicbanner_->setMinimumHeight(18);
    statusRow->addWidget(headerpanel_);
    statusRow->addWidget(topicbanner_, 1);
    boxFilter_ = std::make_unique<TBrowserEventFilter>([this](QEvent& e) { return BoxEvent(e); });
    installEventFilter(boxFilter_.get());
    bannerFilter_ =
        std::make_unique<TBrowserEventFilter>([this](QEvent& e) { return BannerEvent(e); });
    topicbanner_->installEventFilter(bannerFilter_.get());
}

TBrowserRoomStatus::~TBrowserRoomStatus() = default;

bool TBrowserRoomStatus::BoxEvent(QEvent& e) {
    if (e.type() == QEvent::MouseButtonDblClick) {
        roomstatusboxDblClick();
        return true;
    }
    return false;
}

bool TBrowserRoomStatus::BannerEvent(QEvent& e) {
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
            topicbannerMouseMove(mouse->buttons(), at.x(), at.y());
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
}

void TBrowserRoomStatus::SetRoomNameLabel(const std::string& text) {
    roomname_->setText(Cp1252ToQString(text));
}

void TBrowserRoomStatus::ShowLockIcon(bool shown) {
    lockimage_->setVisible(shown);
}

void TBrowserRoomStatus::ShowModeratedIcon(bool shown) {
    modimage_->setVisible(shown);
}

void TBrowserRoomStatus::SetIcons(const std::vector<IconTile>& tiles) {
    for (const IconTile& tile : tiles) {
        if (tile.target == "lockimage") {
            lockimage_->setPixmap(QPixmap::fromImage(TileImage(tile)));
        } else if (tile.target == "modimage") {
            modimage_->setPixmap(QPixmap::fromImage(TileImage(tile)));
        }
    }
}

void TBrowserRoomStatus::TickBanner() {
    topicbanner_->banner.Tick();
    topicbanner_->update();
}

void TBrowserRoomStatus::roomstatusboxDblClick() {
    if (hooks_.roomDetails) {
        hooks_.roomDetails();
    }
}

void TBrowserRoomStatus::topicbannerMouseDown(int x, int y) {
    topicbanner_->banner.MouseDown(x, y);
}

void TBrowserRoomStatus::topicbannerMouseMove(Qt::MouseButtons buttons, int x, int y) {
    if (buttons & Qt::LeftButton) {
        topicbanner_->banner.MouseMove(x, y);
        topicbanner_->update();
    }
}

void TBrowserRoomStatus::topicbannerMouseUp() {
    topicbanner_->banner.MouseUp();
}

}  // namespace pk
