#pragma once
// The lobby window `Tzrbrowser` ("browser"): the room list, the user list with its friends,
// ignored and room-user sections, the game list with its Ping column (or the overall game
// statistics), the lobby chat with its one-line edit, the room's topic as a scrolling banner
// and the own-status buttons. It is the lobby's LobbyViews; its lists are views over the lobby
// model (lobby/zrlobbyviews.h) and its handlers call the headless actions of
// lobby/zrlobbywindow.h. It owns the region pinger.
#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/ui/zrtxtbox.h"
#include "lobby/zrlobbychat.h"
#include "lobby/zrlobbyviews.h"
#include "lobby/zrlobbywindow.h"
#include "skin/ui/zrskinform.h"

class QAction;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPlainTextEdit;
class QSplitter;
class QTimer;
class QToolButton;
class QTreeView;

namespace pk {

class TRegionPinger;
struct TConfig;
struct IconTile;

// The paint box of the room's topic; the window handles its mouse.
class TTopicBannerBox : public QWidget {
public:
    explicit TTopicBannerBox(QWidget* parent = nullptr);
    TTopicBanner banner;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class Tzrbrowser : public TZRSkinForm {
public:
    explicit Tzrbrowser(QWidget* parent = nullptr);
    ~Tzrbrowser() override;
    // The lobby's container element colours the header, the toolbars and the boxes.
    void ApplySkinColours(const SkinColours& colours) override;

    // The menu entries and buttons that open other windows, set by whoever provides them. A
    // hook that is not set does nothing.
    struct Hooks {
        std::function<void()> roomDetails;                  // double click on the room status box
        std::function<void()> editOwnDetails;               // "Edit player details..."
        std::function<bool(std::string& name)> newRoom;     // the query's new-room panel
        std::function<bool(std::string& message)> message;  // the query's message panel
        std::function<bool(QFont& font)> pickFont;          // "Change Font..."
    };
    Hooks hooks;

    // The lobby's views: the three list models and the labels and buttons.
    LobbyViews& Views();
    TRegionPinger& Pinger() { return *pinger_; }

    // Controls by their names, for tests and the lobby's dialogs.
    QTreeView* roomlist() const { return roomlist_; }
    QListView* userlist() const { return userlist_; }
    QTreeView* gamelist() const { return gamelist_; }
    TZRTxtbox* chatbox() const { return chatbox_; }
    QLineEdit* chateb() const { return chateb_; }
    QMenu* userpopupmenu() const { return userpopupmenu_; }
    QMenu* changefontpopup() const { return changefontpopup_; }
    QAction* MenuItem(const char* name) const;
    QToolButton* Button(const char* name) const;
    QLabel* roomname() const { return roomname_; }
    QLabel* gamelabel() const { return gamelabel_; }
    // The caption of the statistics button: the button itself.
    QToolButton* statscaption() const { return statscaption_; }
    TTopicBannerBox* topicbanner() const { return topicbanner_; }
    QPlainTextEdit* gamestats() const { return gamestats_; }
    QTimer* misctimer() const { return misctimer_; }
    const TGameListSort& GameSort() const { return sort_; }
    TLobbyChatEdit& ChatEdit() { return chatEdit_; }

    // The window's share of the configuration: panel sizes, column widths and the chat font.
    void ApplyConfig(const TConfig& config);
    void GatherConfig(TConfig& config) const;
    // The theme's lobby icons.
    void SetIcons(const std::vector<IconTile>& tiles);
    const QImage& StateIcon(int index) const;
    const QImage& PrivilegeIcon(int index) const;
    const QImage& RoomKeyIcon() const { return roomKeyIcon_; }

    // Handlers.
    void misctimerTimer();
    void roomstatusboxDblClick();
    void showstatsClick();
    void gamelistColumnClick(int column);
    void meactiveClick();
    void mebrbClick();
    void meawayClick();
    void mesleepingClick();
    void mewhoisClick();
    void createroomtbClick();
    void creategameClick();
    void pingregionsbuttonClick();
    void roomlistDblClick(const QPoint& at);
    void gamelistDblClick(const QPoint& at);
    void browserchatchangefontClick();
    void browserchatrestoreClick();
    // The topic banner: a press stops it, a drag with the left button moves the text, a click
    // without a move stops or restarts the scrolling.
    void topicbannerMouseDown(int x, int y);
    void topicbannerMouseMove(Qt::MouseButtons buttons, int x, int y);
    void topicbannerMouseUp();
    // The chat edit fills its panel but for a margin on the right and at the foot.
    void chatebpanelResize();
    // Left or right button on the user list at a point of its viewport.
    void userlistMouseDown(Qt::MouseButton button, const QPoint& at, const QPoint& globalAt);
    // The users the popup menu acts on: the selected rows' users, in list order.
    std::vector<std::uint32_t> SelectedUsers() const;
    std::uint32_t FocusedUser() const;
    // The popup menu's entries.
    void setnormalClick();
    void setvoiceClick();
    void setoperatorClick();
    void kickwomsgClick();
    void kickwmsgClick();
    void kickandbanClick();
    void kickand5minbanClick();
    void whoismenuClick();
    void requestrpsClick();
    void addnewfriendClick();
    void removefriendClick();
    void invitegameClick();
    void addignoreusermenuClick();
    void removeignoreuserClick();
    // The chat edit's keys by Qt key code: Up, Down and the nick completion keys. True when
    // the key was used up here (Up and Down, and Tab so that the focus stays).
    bool chatebKeyDown(int qtKey);
    // Enter in the chat edit: the line is processed and goes into the history.
    void chatebKeyPress();
    void SyncChatEdit();

    // The row of the user list whose menu opened last; tests open the menu without showing it.
    void SetMenuOpener(std::function<void(QMenu&, const QPoint&)> opener) {
        menuOpener_ = std::move(opener);
    }

    void SetRoomNameLabel(const std::string& text);
    void ShowLockIcon(bool shown);
    void ShowModeratedIcon(bool shown);
    void SetOwnStatusButton(OwnStatusButton down);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Build();
    void BuildMenus();
    void ApplySizes();
    int RoomListWidth() const;
    void OwnStatusClick(int status);
    void BanClick(int seconds);
    QToolButton* NewButton(const char* name, const QString& text, QWidget* parent);

    class BrowserViews;
    std::unique_ptr<BrowserViews> views_;
    std::unique_ptr<TRegionPinger> pinger_;
    TGameListSort sort_;
    TLobbyChatEdit chatEdit_;
    std::function<void(QMenu&, const QPoint&)> menuOpener_;
    std::array<QImage, 5> stateIcons_{};
    std::array<QImage, 4> privilegeIcons_{};
    QImage roomKeyIcon_;
    // Panel sizes from the configuration, applied once the window has its size; a right width
    // of 0 (none stored) fits the room list.
    int rightWidth_ = 0, topLeftHeight_ = 160, topRightHeight_ = 160;
    bool sized_ = false;

    QSplitter* columns_ = nullptr;  // left part | right column (brightwidth)
    QSplitter* left_ = nullptr;     // games (btopleftheight) | chat
    QSplitter* right_ = nullptr;    // rooms (btoprightheight) | users
    QWidget* roomstatusbox_ = nullptr;
    QWidget* headerpanel_ = nullptr;
    QLabel* roomname_ = nullptr;
    QLabel* modimage_ = nullptr;
    QLabel* lockimage_ = nullptr;
    TTopicBannerBox* topicbanner_ = nullptr;
    QTreeView* roomlist_ = nullptr;
    QListView* userlist_ = nullptr;
    QTreeView* gamelist_ = nullptr;
    QWidget* gamelistpanel_ = nullptr;
    QWidget* statspanel_ = nullptr;
    QPlainTextEdit* gamestats_ = nullptr;
    QLabel* gamelabel_ = nullptr;
    QToolButton* statscaption_ = nullptr;
    TZRTxtbox* chatbox_ = nullptr;
    QWidget* chatebpanel_ = nullptr;
    QLineEdit* chateb_ = nullptr;
    QButtonGroup* statusGroup_ = nullptr;
    QMenu* userpopupmenu_ = nullptr;
    QMenu* changefontpopup_ = nullptr;
    QTimer* misctimer_ = nullptr;
    std::unique_ptr<QObject> filters_[5];
};

// The one lobby window, while it exists.
extern Tzrbrowser* zrbrowser;

}  // namespace pk
