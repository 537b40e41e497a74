#include "room/ui/zrpartylineform.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTableWidget>
#include <QToolButton>

#include "core/ui/zrfontspec.h"
#include "core/ui/zrtxtbox.h"
#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "gfx/qtsurface.h"
#include "platform/cp1252.h"
#include "room/ui/zrgextrasform.h"
#include "room/zrroomchat.h"
#include "room/zrroomevents.h"
#include "room/zrroomhost.h"

namespace pk {

Tzrpartyline* zrpartyline = nullptr;

namespace {

constexpr int kBorder = 3;
constexpr int kRightWidth = 210;
constexpr int kToolbarHeight = 24;
constexpr int kEditHeight = 22;
constexpr int kControlsHeight = 112;

QToolButton* ToolButton(QWidget* parent, const char* name) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoRaise(true);
    b->setFixedSize(22, 22);
    return b;
}

QLabel* Caption(QWidget* parent, const char* name, const char* text) {
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

}  // namespace

Tzrpartyline::Tzrpartyline(QWidget* parent) : TZRSkinForm("chat", parent) {
    zrpartyline = this;
    SetNeedPaint(true);
    setFont(QFont(QStringLiteral("Arial"), 8));
    resize(640, 420);
    BuildChat();
    BuildStats();
    gamestatssplit_->addWidget(statsscrollbox_);
    gamestatssplit_->addWidget(chatbox_);
    gamestatssplit_->setStretchFactor(1, 1);
    BuildList();
    BuildMenus();
    statsPanelHeight_ = 90;
    statsscrollbox_->hide();  // statistics hidden
    LayOut();
    SetRoomView(this);
    SetRoomControls(this);
    ApplyControls(RoomControlsState());
}

Tzrpartyline::~Tzrpartyline() {
    SetRoomView(nullptr);
    SetRoomControls(nullptr);
    if (chatedit_)
        chatedit_->removeEventFilter(this);
    if (statsscrollbox_)
        statsscrollbox_->removeEventFilter(this);
    if (gamestats_)
        gamestats_->viewport()->removeEventFilter(this);
    if (zrpartyline == this)
        zrpartyline = nullptr;
}

void Tzrpartyline::BuildChat() {
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    chattbpanel_ = new QWidget(Panel1);
    chattbpanel_->setObjectName(QStringLiteral("chattbpanel"));
    // Panels keep the button face under their captions, so they read on any theme.
    chattbpanel_->setAutoFillBackground(true);
    auto* bar = new QHBoxLayout(chattbpanel_);
    bar->setContentsMargins(2, 0, 2, 0);
    bar->setSpacing(2);
    changesettings_ = ToolButton(chattbpanel_, "changesettings");
    gscaption_ = Caption(chattbpanel_, "gscaption", "Modify Game Settings");
    editextras_ = ToolButton(chattbpanel_, "editextras");
    editcaption_ = Caption(chattbpanel_, "editcaption", "Edit MOTD/Ban List");
    showstats_ = ToolButton(chattbpanel_, "showstats");
    statscaption_ = Caption(chattbpanel_, "statscaption", "Show Stats");
    for (QWidget* w : std::initializer_list<QWidget*>{changesettings_, gscaption_, editextras_,
                                                      editcaption_, showstats_, statscaption_})
        bar->addWidget(w);
    bar->addStretch(1);
    connect(changesettings_, &QToolButton::clicked, this, [this] {
        SkinGuard("Tzrpartyline.changesettingsClick", [&] { changesettingsClick(); });
    });
    connect(editextras_, &QToolButton::clicked, this,
            [this] { SkinGuard("Tzrpartyline.editextrasClick", [&] { editextrasClick(); }); });
    connect(showstats_, &QToolButton::clicked, this,
            [this] { SkinGuard("Tzrpartyline.showstatsClick", [&] { showstatsClick(); }); });

    containpanel2 = new QWidget(Panel1);
    containpanel2->setObjectName(QStringLiteral("containpanel2"));
    gamestatssplit_ = new QSplitter(Qt::Vertical, containpanel2);
    gamestatssplit_->setObjectName(QStringLiteral("gamestatssplit"));
    gamestatssplit_->setChildrenCollapsible(false);
    gamestatssplit_->setHandleWidth(4);

    chatbox_ = new TZRTxtbox(gamestatssplit_);
    chatbox_->setObjectName(QStringLiteral("chatbox"));
    chatbox_->SetStayAtBottom(true);

    ebpanel_ = new QWidget(containpanel2);
    ebpanel_->setObjectName(QStringLiteral("ebpanel"));
    chatedit_ = new QLineEdit(ebpanel_);
    chatedit_->setObjectName(QStringLiteral("chatedit"));
    chatedit_->setMaxLength(400);
    chatedit_->installEventFilter(this);
}

void Tzrpartyline::BuildMenus() {
    fontchangepopup_ = new QMenu(this);
    fontchangepopup_->setObjectName(QStringLiteral("fontchangepopup"));
    const auto add = [this](QMenu* menu, const char* name, const char* caption,
                            void (Tzrpartyline::*handler)()) {
        QAction* a = menu->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this,
                [this, name, handler] { SkinGuard(name, [&] { (this->*handler)(); }); });
    };
    add(fontchangepopup_, "chatchangefont", "Change Font...", &Tzrpartyline::chatchangefontClick);
    add(fontchangepopup_, "chatdefaultfont", "Restore Default Font",
        &Tzrpartyline::chatdefaultfontClick);
    chatbox_->SetPopupMenu(fontchangepopup_);

    statschangefontpopup_ = new QMenu(this);
    statschangefontpopup_->setObjectName(QStringLiteral("statschangefontpopup"));
    add(statschangefontpopup_, "statschangefont", "Change Font...",
        &Tzrpartyline::statschangefontClick);
    add(statschangefontpopup_, "statsdefaultfont", "Restore Default Font",
        &Tzrpartyline::statsdefaultfontClick);
    statschangefontpopup_->addSeparator()->setObjectName(QStringLiteral("N1"));
    add(statschangefontpopup_, "statssavelog", "Save log to...", &Tzrpartyline::statssavelogClick);
    gameresults_->SetPopupMenu(statschangefontpopup_);
    gamehistory_->SetPopupMenu(statschangefontpopup_);
    gamestats_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(gamestats_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        statschangefontpopup_->popup(gamestats_->viewport()->mapToGlobal(at));
    });

    BuildUserMenu();
}

void Tzrpartyline::resizeEvent(QResizeEvent* event) {
    TZRSkinForm::resizeEvent(event);
    SkinGuard("Tzrpartyline.resize", [&] { LayOut(); });
}

void Tzrpartyline::showEvent(QShowEvent* event) {
    TZRSkinForm::showEvent(event);
    // The room page opens with the chat edit ready for typing.
    SkinGuard("Tzrpartyline.FormShow", [&] { FocusChat(); });
}

bool Tzrpartyline::eventFilter(QObject* watched, QEvent* event) {
    if (watched == chatedit_ && event->type() == QEvent::KeyPress) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        bool taken = false;
        SkinGuard("Tzrpartyline.chatedit", [&] {
            taken = chateditKeyDown(key);
            taken = chateditKeyPress(key) || taken;
        });
        return taken;
    }
    if (gamestats_ && watched == gamestats_->viewport()) {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseMove:
            case QEvent::MouseButtonRelease: {
                bool taken = false;
                SkinGuard("Tzrpartyline.gamestatsMouse",
                          [&] { taken = gamestatsMouse(*static_cast<QMouseEvent*>(event)); });
                return taken;
            }
            default:
                break;
        }
    }
    if (watched == statsscrollbox_ && event->type() == QEvent::Resize)
        SkinGuard("Tzrpartyline.statsscrollboxResize", [&] { statsscrollboxResize(); });
    return TZRSkinForm::eventFilter(watched, event);
}

void Tzrpartyline::ebpanelResize() {
    chatedit_->setGeometry(0, 0, ebpanel_->width(), ebpanel_->height());
}

void Tzrpartyline::LayOut() {
    const int w = width();
    const int h = height();
    const int right = std::min(kRightWidth, std::max(w / 3, 120));
    const int leftWidth = std::max(w - right - 3 * kBorder, 40);
    Panel1->setGeometry(kBorder, kBorder, leftWidth, std::max(h - 2 * kBorder, 0));
    chattbpanel_->setGeometry(0, 0, leftWidth, kToolbarHeight);
    // containpanel2 starts below the tool bar; the edit line sits at the form's bottom border.
    const int top = kToolbarHeight + 2;
    const int bottom = std::max(h - 2 * kBorder - kEditHeight, top + 40);
    containpanel2->setGeometry(0, top, leftWidth, bottom + kEditHeight - top);
    ebpanel_->setGeometry(0, bottom - top, leftWidth, kEditHeight);
    ebpanelResize();
    gamestatssplit_->setGeometry(0, 0, leftWidth, std::max(bottom - 2 - top, 40));
    const int x = kBorder * 2 + leftWidth;
    containerpanel_->setGeometry(x, kBorder, right, h - 2 * kBorder);
    // Inside the column's border.
    const int in = kBorder;
    const int inner = right - 2 * in;
    const int listHeight = std::max(containerpanel_->height() - kControlsHeight - 2 * in, 40);
    userlist_->setGeometry(in, in, inner, listHeight);
    chatcontrolpanel->setGeometry(in, in + listHeight + kBorder, inner, kControlsHeight - kBorder);
    int y = 0;
    teamlabel_->setGeometry(0, y, inner, 16);
    y += 18;
    teamname_->setGeometry(0, y, inner - 90, 22);
    updateteam_->setGeometry(inner - 86, y, 86, 22);
    y += 28;
    startgame_->setGeometry(0, y, inner, 24);
    y += 28;
    pausegame_->setGeometry(0, y, inner, 24);
}

bool Tzrpartyline::chateditKeyDown(const QKeyEvent& key) {
    SuppressChatKey = false;
    const int k = key.key();
    if (k == Qt::Key_K && (key.modifiers() & Qt::ControlModifier)) {
        // The start of a style code in place of the selection; the Ctrl+K character itself
        // is not typed.
        chatedit_->insert(QString(QChar(0x05)));
        SuppressChatKey = true;
        return false;
    }
    if (k == Qt::Key_Tab || k == Qt::Key_F12 || k == Qt::Key_F8) {
        const std::string done =
            CompletePrivateNick(QStringToCp1252(chatedit_->text()), RecentPrivateNames);
        chatedit_->setText(Cp1252ToQString(done));
        chatedit_->setCursorPosition(static_cast<int>(chatedit_->text().size()));
        return true;  // Tab completes instead of moving the focus
    }
    return false;
}

bool Tzrpartyline::chateditKeyPress(const QKeyEvent& key) {
    bool taken = false;
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        const std::string text = QStringToCp1252(chatedit_->text());
        if (IsValidText(text)) {
            RoomChatCommand(true, false, text);
            chatedit_->clear();
        }
        taken = true;
    }
    if (SuppressChatKey)
        taken = true;
    SuppressChatKey = false;
    return taken;
}

void Tzrpartyline::FocusChat() {
    if (chatedit_->isEnabled() && chatedit_->isVisibleTo(this))
        chatedit_->setFocus();
}

void Tzrpartyline::AddChatLine(const std::string& line) {
    chatbox_->AddLine(line);
}

void Tzrpartyline::ClearChat() {
    chatbox_->Clear();
}

bool Tzrpartyline::TeamUpdateEnabled() const {
    return updateteam_->isEnabled();
}

void Tzrpartyline::SetTeamUpdateEnabled(bool on) {
    updateteam_->setEnabled(on);
}

void Tzrpartyline::SetTeamNameText(const std::string& text) {
    teamname_->setText(Cp1252ToQString(text));
}

void Tzrpartyline::ShowMessage(const std::string& text) {
    Room().ShowMessage(text);
}

void Tzrpartyline::updateteamClick() {
    const std::string text = QStringToCp1252(teamname_->text());
    switch (CheckTeamUpdate(text)) {
        case TeamUpdate::Unchanged:
            return;
        case TeamUpdate::Invalid:
            ShowMessage(std::string(InvalidTeamText));
            return;
        case TeamUpdate::Locked:
            ShowMessage(std::string(TeamsLockedText));
            return;
        case TeamUpdate::Send:
            SetOwnTeam(text);
            RepaintUserList();
            FocusChat();
            return;
    }
}

void Tzrpartyline::startgameClick() {
    Room().ExecuteCommand("togglegame");
    if (!ClientState.game.GameRunning)
        FocusChat();
}

void Tzrpartyline::pausegameClick() {
    Room().ExecuteCommand("togglepause");
    FocusChat();
}

void Tzrpartyline::changesettingsClick() {
    OpenRoomGameSet();
}

void Tzrpartyline::editextrasClick() {
    Tzrextras::ShowExtras(this);
}

void Tzrpartyline::ApplyControls(const RoomControlStates& s) {
    startgame_->setText(Cp1252ToQString(s.startgameCaption));
    startgame_->setEnabled(s.startgameEnabled);
    pausegame_->setText(Cp1252ToQString(s.pausegameCaption));
    pausegame_->setEnabled(s.pausegameEnabled);
    teamname_->setEnabled(s.teamnameEnabled);
    updateteam_->setEnabled(s.updateteamEnabled);
    gscaption_->setText(Cp1252ToQString(s.gscaption));
}

void Tzrpartyline::SetIcons(const std::vector<IconTile>& tiles) {
    listImages_.clear();
    for (const IconTile& tile : tiles) {
        if (tile.owner != IconOwner::Room)
            continue;
        QImage image = ToQImage(tile.picture).convertToFormat(QImage::Format_ARGB32);
        const QRgb clear = QColor::fromRgb(Argb(tile.transparent)).rgb();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) == (clear & 0xFFFFFF))
                    image.setPixel(x, y, 0);
        if (tile.listImage) {
            listImages_.push_back(image);
            continue;
        }
        const QIcon icon(QPixmap::fromImage(image));
        if (tile.target == "changesettings")
            changesettings_->setIcon(icon);
        else if (tile.target == "editextras")
            editextras_->setIcon(icon);
        else if (tile.target == "showstats")
            showstats_->setIcon(icon);
    }
    RepaintUserList();
}

void Tzrpartyline::chatchangefontClick() {
    ChangeFont(*chatbox_, false);
}

void Tzrpartyline::chatdefaultfontClick() {
    RestoreFont(*chatbox_, false);
}

void Tzrpartyline::statschangefontClick() {
    ChangeFont(*statsscrollbox_, true);
}

void Tzrpartyline::statsdefaultfontClick() {
    RestoreFont(*statsscrollbox_, true);
}

void Tzrpartyline::ChangeFont(QWidget& target, bool stats) {
    QFont font = target.font();
    bool chosen = false;
    if (fontPicker_)
        chosen = fontPicker_(font);
    else
        font = QFontDialog::getFont(&chosen, target.font(), this, QStringLiteral("Font"),
                                    QFontDialog::ScalableFonts | QFontDialog::NonScalableFonts);
    if (!chosen)
        return;
    target.setFont(font);
    (stats ? statsFontSet_ : chatFontSet_) = true;
    if (stats) {
        gamestats_->setFont(font);
        statsscrollboxResize();
    }
}

void Tzrpartyline::RestoreFont(QWidget& target, bool stats) {
    target.setFont(QFont());
    target.setAttribute(Qt::WA_SetFont, false);
    (stats ? statsFontSet_ : chatFontSet_) = false;
    if (stats) {
        gamestats_->setFont(QFont());
        gamestats_->setAttribute(Qt::WA_SetFont, false);
        statsscrollboxResize();
    }
}

void Tzrpartyline::SetConfig(const RoomWindowConfig& c) {
    rememberedWidths_ = c.gstatsw;
    statsPanelHeight_ = std::max(c.gstatsheight, 0);
    if (c.chatFontSet) {
        chatbox_->setFont(FontFromSpec(c.fgamechat));
        chatFontSet_ = true;
    }
    if (c.statsFontSet) {
        statsscrollbox_->setFont(FontFromSpec(c.fgamestats));
        gamestats_->setFont(statsscrollbox_->font());
        statsFontSet_ = true;
    }
    if (c.gstatsexpand != 0 && !StatsShown())
        showstatsClick();
    statsscrollboxResize();
}

void Tzrpartyline::GetConfig(RoomWindowConfig& c) {
    c.gstatsw = rememberedWidths_;
    c.gstatsheight = StatsShown() ? statsscrollbox_->height() : statsPanelHeight_;
    c.gstatsexpand = StatsShown() ? 1 : 0;
    c.chatFontSet = chatFontSet_;
    c.statsFontSet = statsFontSet_;
    if (chatFontSet_)
        c.fgamechat = SpecFromFont(chatbox_->font(), c.fgamechat.color);
    if (statsFontSet_)
        c.fgamestats = SpecFromFont(statsscrollbox_->font(), c.fgamestats.color);
}

}  // namespace pk
