#include "lobby/ui/zrbrowser.h"

#include <QAction>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "core/ui/zrqtfont.h"
#include "core/zrconst.h"
#include "lobby/zrlobbylists.h"
#include "lobby/zrregionping.h"
#include "room/zrroomcontrols.h"
#include "shell/zrconfig.h"

namespace pk {

Tzrbrowser* zrbrowser = nullptr;

// The list models, with the labels and buttons passed to the panels that show them.
class Tzrbrowser::BrowserViews : public TLobbyItemModels {
public:
    explicit BrowserViews(Tzrbrowser& form) : form_(form) {}
    void SetRoomNameLabel(const std::string& text) override {
        form_.roomStatus_->SetRoomNameLabel(text);
    }
    void ShowLockIcon(bool shown) override { form_.roomStatus_->ShowLockIcon(shown); }
    void ShowModeratedIcon(bool shown) override { form_.roomStatus_->ShowModeratedIcon(shown); }
    void SetOwnStatusButton(OwnStatusButton down) override {
        form_.users_->SetOwnStatusButton(down);
    }

private:
    Tzrbrowser& form_;
};

Tzrbrowser::Tzrbrowser(QWidget* parent) : TZRSkinForm("browser", parent) {
    zrbrowser = this;
    setObjectName(QStringLiteral("zrbrowser"));
    setWindowTitle(QStringLiteral("Pelkorin Lobby"));
    setFont(QFont(QStringLiteral("Arial"), 8));
    views_ = std::make_unique<BrowserViews>(*this);
    pinger_ = std::make_unique<TRegionPinger>();
    Build();
    resize(960, 634);
    misctimer_ = new QTimer(this);
    misctimer_->setObjectName(QStringLiteral("misctimer"));
    misctimer_->setInterval(LobbyTimerIntervalMs);
    connect(misctimer_, &QTimer::timeout, this, PK_BROWSER_HANDLER(misctimerTimer));
    misctimer_->start();
    SetLobbyViews(views_.get());
}

Tzrbrowser::~Tzrbrowser() {
    SetLobbyViews(nullptr);
    if (zrbrowser == this) {
        zrbrowser = nullptr;
    }
}

LobbyViews& Tzrbrowser::Views() {
    return *views_;
}

QToolButton* Tzrbrowser::Button(const char* name) const {
    return findChild<QToolButton*>(QString::fromLatin1(name));
}

QAction* Tzrbrowser::MenuItem(const char* name) const {
    return findChild<QAction*>(QString::fromLatin1(name));
}

// The room status box across the top; below it two columns split in two each: games over
// chat, rooms over users. The menus come last, once every control is there.
void Tzrbrowser::Build() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(4);
    roomStatus_ = new TBrowserRoomStatus(hooks, this);
    outer->addWidget(roomStatus_);
    columns_ = new QSplitter(Qt::Horizontal, this);
    left_ = new QSplitter(Qt::Vertical, columns_);
    right_ = new QSplitter(Qt::Vertical, columns_);
    games_ = new TBrowserGames(views_->games, left_);
    chat_ = new TBrowserChat(*this, hooks, left_);
    rooms_ = new TBrowserRooms(views_->rooms, hooks, right_);
    users_ = new TBrowserUsers(views_->users, hooks, right_);
    columns_->addWidget(left_);
    columns_->addWidget(right_);
    columns_->setStretchFactor(0, 1);
    outer->addWidget(columns_, 1);
    chat_->BuildMenu();
    users_->BuildMenu();
}

void Tzrbrowser::resizeEvent(QResizeEvent* event) {
    TZRSkinForm::resizeEvent(event);
    if (!sized_ && isVisible() && columns_) {
        ApplySizes();
    }
    if (games_) {
        gamelist()->viewport()->update();
        roomlist()->viewport()->update();
    }
}

void Tzrbrowser::showEvent(QShowEvent* event) {
    TZRSkinForm::showEvent(event);
    if (!sized_) {
        ApplySizes();
    }
}

// ---- configuration

void Tzrbrowser::ApplyConfig(const TConfig& config) {
    SetColumns(gamelist(), ColumnWidths(gamelist(), GameColumns), config.bgamelistw);
    SetColumns(roomlist(), ColumnWidths(roomlist(), 3), config.broomlistw);
    rightWidth_ = config.brightwidth;
    topLeftHeight_ = config.btopleftheight;
    topRightHeight_ = config.btoprightheight;
    sized_ = false;
    if (isVisible()) {
        ApplySizes();
    }
    if (!config.fbrowserchat.name.empty()) {
        chatbox()->setFont(FontFromSpec(config.fbrowserchat));
    }
}

void Tzrbrowser::ApplySizes() {
    const auto split = [](QSplitter* splitter, int first, bool firstFixed) {
        const QList<int> now = splitter->sizes();
        int total = 0;
        for (int size : now) {
            total += size;
        }
        if (total <= 0) {
            return false;
        }
        const int fixed = std::clamp(first, std::min(30, total), std::max(total - 30, 0));
        splitter->setSizes(firstFixed ? QList<int>{fixed, total - fixed}
                                      : QList<int>{total - fixed, fixed});
        return true;
    };
    const bool columns =
        split(columns_, rightWidth_ > 0 ? rightWidth_ : rooms_->ListWidth(), false);
    const bool left = split(left_, topLeftHeight_, true);
    const bool right = split(right_, topRightHeight_, true);
    sized_ = columns && left && right;
}

void Tzrbrowser::GatherConfig(TConfig& config) const {
    config.bgamelistw = GetColumnWidths(ColumnWidths(gamelist(), GameColumns));
    config.broomlistw = GetColumnWidths(ColumnWidths(roomlist(), 3));
    const QList<int> columns = columns_->sizes();
    if (columns.size() == 2 && columns[1] > 0) {
        config.brightwidth = columns[1];
    }
    const QList<int> left = left_->sizes();
    if (left.size() == 2 && left[0] > 0) {
        config.btopleftheight = left[0];
    }
    const QList<int> right = right_->sizes();
    if (right.size() == 2 && right[0] > 0) {
        config.btoprightheight = right[0];
    }
    config.fbrowserchat = SpecFromFont(chatbox()->font(), config.fbrowserchat.color);
}

// Each panel takes the pictures meant for it; a tile named after a button is its icon.
void Tzrbrowser::SetIcons(const std::vector<IconTile>& tiles) {
    users_->SetIcons(tiles);
    rooms_->SetIcons(tiles);
    roomStatus_->SetIcons(tiles);
    for (const IconTile& tile : tiles) {
        if (QToolButton* button = Button(std::string(tile.target).c_str())) {
            button->setIcon(QIcon(QPixmap::fromImage(TileImage(tile))));
            if (button->text().size() <= 5) {
                button->setToolButtonStyle(Qt::ToolButtonIconOnly);  // a stand-in caption
            }
        }
    }
}

void Tzrbrowser::misctimerTimer() {
    LobbyIdleTick();
    if (ClientState.lobby.LobbyLinkState != sbDown) {
        roomStatus_->TickBanner();
    }
}

}  // namespace pk
