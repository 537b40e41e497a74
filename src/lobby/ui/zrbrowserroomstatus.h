#pragma once
// The lobby window's room status box across its top: the room's name with its moderated and
// locked icons, and the room's topic as a scrolling banner. A double click anywhere on it
// opens the room's details.
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "lobby/ui/zrbrowserparts.h"
#include "lobby/zrlobbywindow.h"

class QLabel;

namespace pk {

// The paint box of the room's topic; the room status box handles its mouse.
class TTopicBannerBox : public QWidget {
public:
    explicit TTopicBannerBox(QWidget* parent = nullptr);
    TTopicBanner banner;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class TBrowserRoomStatus : public QWidget {
public:
    TBrowserRoomStatus(const TBrowserHooks& hooks, QWidget* parent);
    ~TBrowserRoomStatus() override;

    QLabel* roomname() const { return roomname_; }
    TTopicBannerBox* topicbanner() const { return topicbanner_; }

    void SetRoomNameLabel(const std::string& text);
    void ShowLockIcon(bool shown);
    void ShowModeratedIcon(bool shown);
    // The theme's "lockimage" and "modimage".
    void SetIcons(const std::vector<IconTile>& tiles);
    // One step of the banner's scrolling.
    void TickBanner();

    void roomstatusboxDblClick();
    // The topic banner: a press stops it, a drag with the left button moves the text, a click
    // without a move stops or restarts the scrolling.
    void topicbannerMouseDown(int x, int y);
    void topicbannerMouseMove(Qt::MouseButtons buttons, int x, int y);
    void topicbannerMouseUp();

private:
    bool BoxEvent(QEvent& e);
    bool BannerEvent(QEvent& e);

    const TBrowserHooks& hooks_;
    QWidget* headerpanel_ = nullptr;
    QLabel* roomname_ = nullptr;
    QLabel* modimage_ = nullptr;
    QLabel* lockimage_ = nullptr;
    TTopicBannerBox* topicbanner_ = nullptr;
    std::unique_ptr<QObject> boxFilter_;     // double click on the box
    std::unique_ptr<QObject> bannerFilter_;  // the banner's mouse
};

}  // namespace pk
