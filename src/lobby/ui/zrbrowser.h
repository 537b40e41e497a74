#pragma once
// The lobby window `Tzrbrowser` ("browser"): the room status box with the room's topic as a
// scrolling banner across the top (zrbrowserroomstatus.h); below it on the left the games
// panel (zrbrowsergames.h: the game list with its Ping column, or the overall game statistics)
// over the chat panel (zrbrowserchat.h: the lobby chat with its one-line edit); on the right
// the rooms panel (zrbrowserrooms.h) over the users panel (zrbrowserusers.h: the own-status
// buttons and the user list with its friends, ignored and room-user sections and its menu,
// zrbrowserusermenu.h). The window keeps what is the whole window's: the lobby's views (its
// lists are views over the lobby model, lobby/zrlobbyviews.h), the region pinger, the 100 ms
// timer, the panel sizes and column widths of the configuration, the theme's icons and the
// container's colours. The panels' handlers call the headless actions of lobby/zrlobbywindow.h.
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ui/zrtxtbox.h"
#include "lobby/ui/zrbrowserchat.h"
#include "lobby/ui/zrbrowsergames.h"
#include "lobby/ui/zrbrowserparts.h"
#include "lobby/ui/zrbrowserrooms.h"
#include "lobby/ui/zrbrowserroomstatus.h"
#include "lobby/ui/zrbrowserusermenu.h"
#include "lobby/ui/zrbrowserusers.h"
#include "lobby/zrlobbyviews.h"
#include "skin/ui/zrskinform.h"

class QAction;
class QSplitter;
class QTimer;

namespace pk {

class TRegionPinger;
struct TConfig;

class Tzrbrowser : public TZRSkinForm {
public:
    explicit Tzrbrowser(QWidget* parent = nullptr);
    ~Tzrbrowser() override;
    // The lobby's container element colours the header, the toolbars and the boxes.
    void ApplySkinColours(const SkinColours& colours) override;

    using Hooks = TBrowserHooks;
    Hooks hooks;

    // The lobby's views: the three list models and the labels and buttons.
    LobbyViews& Views();
    TRegionPinger& Pinger() { return *pinger_; }

    // The panels.
    TBrowserRoomStatus& RoomStatus() const { return *roomStatus_; }
    TBrowserGames& Games() const { return *games_; }
    TBrowserChat& Chat() const { return *chat_; }
    TBrowserRooms& Rooms() const { return *rooms_; }
    TBrowserUsers& Users() const { return *users_; }

    // Controls by their names, for tests and the lobby's dialogs.
    QTreeView* roomlist() const { return rooms_->roomlist(); }
    QListView* userlist() const { return users_->userlist(); }
    QTreeView* gamelist() const { return games_->gamelist(); }
    TZRTxtbox* chatbox() const { return chat_->chatbox(); }
    QLineEdit* chateb() const { return chat_->chateb(); }
    QMenu* userpopupmenu() const { return users_->UserMenu().userpopupmenu(); }
    QMenu* changefontpopup() const { return chat_->changefontpopup(); }
    QAction* MenuItem(const char* name) const;
    QToolButton* Button(const char* name) const;
    QLabel* roomname() const { return roomStatus_->roomname(); }
    QLabel* gamelabel() const { return games_->gamelabel(); }
    QToolButton* statscaption() const { return games_->statscaption(); }
    TTopicBannerBox* topicbanner() const { return roomStatus_->topicbanner(); }
    QPlainTextEdit* gamestats() const { return games_->gamestats(); }
    QTimer* misctimer() const { return misctimer_; }

    // The window's share of the configuration: panel sizes, column widths and the chat font.
    void ApplyConfig(const TConfig& config);
    void GatherConfig(TConfig& config) const;
    // The theme's lobby icons.
    void SetIcons(const std::vector<IconTile>& tiles);

    void misctimerTimer();
    // The panels' handlers that tests drive through the window.
    void gamelistColumnClick(int column) { games_->gamelistColumnClick(column); }
    void roomlistDblClick(const QPoint& at) { rooms_->roomlistDblClick(at); }
    void gamelistDblClick(const QPoint& at) { games_->gamelistDblClick(at); }
    void userlistMouseDown(Qt::MouseButton button, const QPoint& at, const QPoint& globalAt) {
        users_->userlistMouseDown(button, at, globalAt);
    }
    bool chatebKeyDown(int qtKey) { return chat_->chatebKeyDown(qtKey); }
    void chatebKeyPress() { chat_->chatebKeyPress(); }
    // The user menu opens through this; tests open it without showing it.
    void SetMenuOpener(std::function<void(QMenu&, const QPoint&)> opener) {
        users_->UserMenu().SetMenuOpener(std::move(opener));
    }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Build();
    void ApplySizes();

    class BrowserViews;
    std::unique_ptr<BrowserViews> views_;
    std::unique_ptr<TRegionPinger> pinger_;
    // Panel sizes from the configuration, applied once the window has its size; a right width
    // of 0 (none stored) fits the room list.
    int rightWidth_ = 0, topLeftHeight_ = 160, topRightHeight_ = 160;
    bool sized_ = false;

    TBrowserRoomStatus* roomStatus_ = nullptr;
    QSplitter* columns_ = nullptr;  // left part | right column (brightwidth)
    QSplitter* left_ = nullptr;     // games (btopleftheight) | chat
    QSplitter* right_ = nullptr;    // rooms (btoprightheight) | users
    TBrowserGames* games_ = nullptr;
    TBrowserChat* chat_ = nullptr;
    TBrowserRooms* rooms_ = nullptr;
    TBrowserUsers* users_ = nullptr;
    QTimer* misctimer_ = nullptr;
};

// The one lobby window, while it exists.
extern Tzrbrowser* zrbrowser;

}  // namespace pk
