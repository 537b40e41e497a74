#include "lobby/ui/zrbrowserchat.h"

#include <QFontDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

#include "core/ui/zrtxtbox.h"
#include "platform/cp1252.h"

namespace pk {

TBrowserChat::TBrowserChat(QWidget& form, const TBrowserHooks& hooks, QWidget* parent)
    : QWidget(parent), form_(form), hooks_(hooks) {
    auto* chatColumn = new QVBoxLayout(this);
    chatColumn->setContentsMargins(0, 0, 0, 0);
    chatbox_ = new TZRTxtbox(this);
    chatbox_->setObjectName(QStringLiteral("chatbox"));
    chatbox_->SetAllowFocus(true);
    chatbox_->SetStayAtBottom(true);
    chatColumn->addWidget(chatbox_, 1);
    chatebpanel_ = new QWidget(this);
    chatebpanel_->setObjectName(QStringLiteral("chatebpanel"));
    chateb_ = new QLineEdit(chatebpanel_);
    chateb_->setObjectName(QStringLiteral("chateb"));
    chatebpanel_->setFixedHeight(chateb_->sizeHint().height() + 1);
    editPanelFilter_ = std::make_unique<TBrowserEventFilter>([this](QEvent& e) {
        if (e.type() == QEvent::Resize) {
            chatebpanelResize();
        }
        return false;
    });
    chatebpanel_->installEventFilter(editPanelFilter_.get());
    chatColumn->addWidget(chatebpanel_);

    editFilter_ = std::make_unique<TBrowserEventFilter>([this](QEvent& e) { return EditEvent(e); });
    chateb_->installEventFilter(editFilter_.get());
    connect(chateb_, &QLineEdit::textEdited, this, [this](const QString& text) {
        chatEdit_.text = QStringToCp1252(text);
        chatEdit_.itemIndex = -1;
    });
}

TBrowserChat::~TBrowserChat() = default;

void TBrowserChat::BuildMenu() {
    changefontpopup_ = new QMenu(this);
    changefontpopup_->setObjectName(QStringLiteral("changefontpopup"));
    const auto item = [this](const QString& text, const char* name, auto handler) {
        QAction* a = changefontpopup_->addAction(text);
        connect(a, &QAction::triggered, this, handler);
        a->setObjectName(QString::fromLatin1(name));
    };
    item(QStringLiteral("Change Font..."), "browserchatchangefont",
         PK_BROWSER_HANDLER(browserchatchangefontClick));
    item(QStringLiteral("Restore Default Font"), "browserchatrestore",
         PK_BROWSER_HANDLER(browserchatrestoreClick));
    chatbox_->SetPopupMenu(changefontpopup_);
}

bool TBrowserChat::EditEvent(QEvent& e) {
    if (e.type() != QEvent::KeyPress) {
        return false;
    }
    auto& key = static_cast<QKeyEvent&>(e);
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        chatebKeyPress();
        return true;
    }
    return chatebKeyDown(key.key());
}

void TBrowserChat::browserchatchangefontClick() {
    QFont font = chatbox_->font();
    bool ok = false;
    if (hooks_.pickFont) {
        ok = hooks_.pickFont(font);
    } else {
        font = QFontDialog::getFont(&ok, font, &form_);
    }
    if (ok) {
        chatbox_->setFont(font);
    }
}

void TBrowserChat::browserchatrestoreClick() {
    chatbox_->setFont(form_.font());
}

void TBrowserChat::chatebpanelResize() {
    chateb_->setGeometry(0, 0, chatebpanel_->width() - 3, chatebpanel_->height() - 1);
}

void TBrowserChat::SyncChatEdit() {
    const QString text = Cp1252ToQString(chatEdit_.text);
    if (chateb_->text() != text) {
        chateb_->setText(text);
    }
    chateb_->setCursorPosition(static_cast<int>(chateb_->text().size()));
}

bool TBrowserChat::chatebKeyDown(int qtKey) {
    int vk = 0;
    switch (qtKey) {
        case Qt::Key_Up:
            vk = 38;
            break;
        case Qt::Key_Down:
            vk = 40;
            break;
        case Qt::Key_Tab:
            vk = 9;
            break;
        case Qt::Key_F8:
            vk = 119;
            break;
        case Qt::Key_F12:
            vk = 123;
            break;
        default:
            return false;
    }
    chatEdit_.text = QStringToCp1252(chateb_->text());
    const bool used = LobbyChatKeyDown(chatEdit_, vk);
    SyncChatEdit();
    // Tab would move the focus out of the edit.
    return used || qtKey == Qt::Key_Tab;
}

void TBrowserChat::chatebKeyPress() {
    chatEdit_.text = QStringToCp1252(chateb_->text());
    LobbyChatEnter(chatEdit_);
    SyncChatEdit();
}

}  // namespace pk
