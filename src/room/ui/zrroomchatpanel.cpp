#include "room/ui/zrroomchatpanel.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSplitter>

#include "core/ui/zrqtfont.h"
#include "core/ui/zrtxtbox.h"
#include "core/zrmisc.h"
#include "platform/cp1252.h"
#include "room/ui/zrboxfontmenu.h"
#include "room/zrpartyline.h"
#include "room/zrroomchat.h"
#include "skin/ui/zrskinform.h"

namespace pk {

TRoomChatPanel::TRoomChatPanel(QWidget* parent, QWidget& form) : QWidget(parent), form_(form) {
    setObjectName(QStringLiteral("containpanel2"));
    gamestatssplit_ = new QSplitter(Qt::Vertical, this);
    gamestatssplit_->setObjectName(QStringLiteral("gamestatssplit"));
    gamestatssplit_->setChildrenCollapsible(false);
    gamestatssplit_->setHandleWidth(4);

    chatbox_ = new TZRTxtbox(gamestatssplit_);
    chatbox_->setObjectName(QStringLiteral("chatbox"));
    chatbox_->SetStayAtBottom(true);

    ebpanel_ = new QWidget(this);
    ebpanel_->setObjectName(QStringLiteral("ebpanel"));
    chatedit_ = new QLineEdit(ebpanel_);
    chatedit_->setObjectName(QStringLiteral("chatedit"));
    chatedit_->setMaxLength(400);
    chatedit_->installEventFilter(this);

    fontchangepopup_ = new TBoxFontMenu(this, "fontchangepopup", "chatchangefont",
                                        "chatdefaultfont", {chatbox_}, form_);
    chatbox_->SetPopupMenu(fontchangepopup_);
}

TRoomChatPanel::~TRoomChatPanel() {
    chatedit_->removeEventFilter(this);
}

void TRoomChatPanel::AddStatsPanel(QWidget& stats) {
    gamestatssplit_->addWidget(&stats);
    gamestatssplit_->addWidget(chatbox_);
    gamestatssplit_->setStretchFactor(1, 1);
}

void TRoomChatPanel::Place(const QRect& area) {
    setGeometry(area);
    const int editTop = area.height() - kEditHeight;
    ebpanel_->setGeometry(0, editTop, area.width(), kEditHeight);
    chatedit_->setGeometry(0, 0, ebpanel_->width(), ebpanel_->height());
    gamestatssplit_->setGeometry(0, 0, area.width(), std::max(editTop - 2, 40));
}

bool TRoomChatPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == chatedit_ && event->type() == QEvent::KeyPress) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        bool taken = false;
        ReportErrors("Tzrpartyline.chatedit", [&] {
            taken = chateditKeyDown(key);
            taken = chateditKeyPress(key) || taken;
        });
        return taken;
    }
    return QWidget::eventFilter(watched, event);
}

bool TRoomChatPanel::chateditKeyDown(const QKeyEvent& key) {
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

bool TRoomChatPanel::chateditKeyPress(const QKeyEvent& key) {
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

void TRoomChatPanel::FocusChat() {
    if (chatedit_->isEnabled() && chatedit_->isVisibleTo(&form_))
        chatedit_->setFocus();
}

void TRoomChatPanel::AddChatLine(const std::string& line) {
    chatbox_->AddLine(line);
}

void TRoomChatPanel::ClearChat() {
    chatbox_->Clear();
}

void TRoomChatPanel::SetConfig(const RoomWindowConfig& c) {
    if (c.chatFontSet)
        fontchangepopup_->SetChosenFont(FontFromSpec(c.fgamechat));
}

void TRoomChatPanel::GetConfig(RoomWindowConfig& c) const {
    c.chatFontSet = fontchangepopup_->FontSet();
    if (c.chatFontSet)
        c.fgamechat = SpecFromFont(fontchangepopup_->ChosenFont(), c.fgamechat.color);
}

}  // namespace pk
