#include "display/ui/zrgameform.h"

#include <QApplication>
#include <QFontDialog>
#include <QKeyEvent>

#include "core/ui/zrqtfont.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "display/zrgamedisplay.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "game/zrgamethread.h"
#include "game/zrkey.h"
#include "gfx/qtsurface.h"
#include "platform/cp1252.h"
#include "room/zrroomchat.h"
#include "skin/ui/zrskinwidgets.h"
#include "skin/zrskinscript.h"

namespace pk {

Tzrgame* zrgame = nullptr;

namespace {

// Characters typed this soon after the chat edit opened belong to the key that opened it.
constexpr int64_t kChatSwallowMs = 50;

class KeyFilterFn : public QObject {
public:
    explicit KeyFilterFn(std::function<bool(QKeyEvent&, bool)> f) : f_(std::move(f)) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return false;
        bool taken = false;
        ReportErrors("Tzrgame.msgbox", [&] {
            taken = f_(*static_cast<QKeyEvent*>(event), event->type() == QEvent::KeyRelease);
        });
        return taken;
    }

private:
    std::function<bool(QKeyEvent&, bool)> f_;
};

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QMenu* FontMenu(QWidget* parent, Tzrgame* form, TZRTxtbox* box, const char* changeName,
                const char* restoreName) {
    auto* menu = new QMenu(parent);
    menu->addAction(
            QStringLiteral("Change Font..."), form,
            [form, box] { ReportErrors("Tzrgame.changefont", [&] { form->ChangeFont(*box); }); })
        ->setObjectName(QString::fromLatin1(changeName));
    menu->addAction(QStringLiteral("Restore Default Font"), form,
                    [form, box] {
                        ReportErrors("Tzrgame.restorefont",
                                     [&] { form->RestoreDefaultFont(*box); });
                    })
        ->setObjectName(QString::fromLatin1(restoreName));
    return menu;
}

}  // namespace

Tzrgame::Tzrgame(QWidget* parent) : TZRSkinForm("game", parent) {
    zrgame = this;
    setWindowTitle(QStringLiteral("Drovank Playing Fields"));
    SetFormColour(0xFFFFFF);
    setFont(QFont(QStringLiteral("Arial"), 8));
    resize(528, 422);
    for (TZRTxtbox** box : {&ingamepline_, &attacks_}) {
        *box = new TZRTxtbox(this);
        (*box)->SetAllowFocus(false);
        (*box)->SetStayAtBottom(true);
        (*box)->SetKeyHook([this](int key, bool up) { return BoxKey(key, up); });
        (*box)->hide();
    }
    ingamepline_->setObjectName(QStringLiteral("ingamepline"));
    attacks_->setObjectName(QStringLiteral("attacks"));
    plinepopup_ = FontMenu(this, this, ingamepline_, "plinechangefont", "plinerestoredefault");
    attackspopup_ = FontMenu(this, this, attacks_, "attackschangefont", "attacksrestoredefault");
    ingamepline_->SetPopupMenu(plinepopup_);
    attacks_->SetPopupMenu(attackspopup_);
    msgbox_ = new QLineEdit(this);
    msgbox_->setObjectName(QStringLiteral("msgbox"));
    msgbox_->setEnabled(false);
    msgbox_->hide();
    msgboxKeys_ = std::make_unique<KeyFilterFn>(
        [this](QKeyEvent& key, bool up) { return MsgboxKey(key, up); });
    msgbox_->installEventFilter(msgboxKeys_.get());
    RegisterSkinControl("chatbox", ingamepline_);
    RegisterSkinControl("attacklist", attacks_);
    RegisterSkinControl("chateditbox", msgbox_);
    text_ = std::make_unique<QtTextPainter>();
    InstallGameDisplay(text_.get());
    SetGameWindow(this);
}

Tzrgame::~Tzrgame() {
    SetGameWindow(nullptr);
    RemoveGameDisplay();
    if (msgbox_)
        msgbox_->removeEventFilter(msgboxKeys_.get());
    if (zrgame == this)
        zrgame = nullptr;
}

void Tzrgame::ContainerShown() {
    if (GameThread && GameThread->Suspended())
        GameThread->Resume();
}

void Tzrgame::ContainerHidden() {
    if (GameThread && !ClientState.game.GameRunning)
        GameThread->Suspend();
    if (msgbox_->isEnabled())
        CloseChatEdit();
}

void Tzrgame::ShowGameMessage(const std::string& line) {
    GameView().PlaySound("msg");
    ingamepline_->AddLine(line);
}

void Tzrgame::ClearGameChat() {
    ingamepline_->Clear();
}

// The hint at a game's start carries style codes: it belongs in the chat box, which draws
// them, not in the chat line.
void Tzrgame::SetGameChatText(const std::string& text) {
    ingamepline_->Clear();
    ingamepline_->AddLine(text);
}

void Tzrgame::ClearAttackList() {
    attacks_->Clear();
}

void Tzrgame::AddAttackLine(const std::string& line) {
    attacks_->AddLine(line);
}

void Tzrgame::ActivateChatEdit() {
    chatOpened_ = GameClocks().MilliClock();
    msgbox_->setEnabled(true);
    SetElementActiveNow(this, "chateditbox", true);
    msgbox_->setFocus();
}

bool Tzrgame::ChatEditFocused() {
    return msgbox_->isEnabled() && msgbox_->hasFocus();
}

bool Tzrgame::Shown() {
    return isVisible();
}

void Tzrgame::SetBoxFonts(const FontSpec& chat, const FontSpec& attacks) {
    ingamepline_->setFont(FontFromSpec(chat));
    attacks_->setFont(FontFromSpec(attacks));
    chatFontSet_ = attacksFontSet_ = true;
}

void Tzrgame::GetBoxFonts(FontSpec& chat, FontSpec& attacks) {
    chat = chatFontSet_ ? SpecFromFont(ingamepline_->font(), chat.color) : FontSpec{};
    attacks = attacksFontSet_ ? SpecFromFont(attacks_->font(), attacks.color) : FontSpec{};
}

void Tzrgame::ChangeFont(TZRTxtbox& box) {
    QFont font = box.font();
    bool chosen = false;
    if (fontPicker_) {
        chosen = fontPicker_(font);
    } else {
        font = QFontDialog::getFont(&chosen, box.font(), this, QStringLiteral("Font"),
                                    QFontDialog::ScalableFonts | QFontDialog::NonScalableFonts);
    }
    if (!chosen)
        return;
    box.setFont(font);
    (&box == ingamepline_ ? chatFontSet_ : attacksFontSet_) = true;
}

void Tzrgame::RestoreDefaultFont(TZRTxtbox& box) {
    box.setFont(QFont());
    box.setAttribute(Qt::WA_SetFont, false);
    (&box == ingamepline_ ? chatFontSet_ : attacksFontSet_) = false;
}

void Tzrgame::CloseChatEdit() {
    msgbox_->setEnabled(false);
    SetElementActiveNow(this, "chateditbox", false);
}

bool Tzrgame::MsgboxKey(QKeyEvent& key, bool up) {
    const int k = key.key();
    if (up) {
        if (!IsEnter(k))
            return false;
        const std::string text = QStringToCp1252(msgbox_->text());
        if (IsValidText(text))
            RoomChatCommand(false, true, text);
        msgbox_->clear();
        CloseChatEdit();
        return true;
    }
    if (k == Qt::Key_Escape) {
        CloseChatEdit();
        return true;
    }
    if (k == Qt::Key_Tab || k == Qt::Key_F8 || k == Qt::Key_F12) {
        const std::string done =
            CompletePrivateNick(QStringToCp1252(msgbox_->text()), RecentPrivateNames);
        msgbox_->setText(Cp1252ToQString(done));
        msgbox_->setCursorPosition(static_cast<int>(msgbox_->text().size()));
        return true;
    }
    if (IsEnter(k))
        return true;
    // The key that opened the edit must not appear in it.
    if (!key.text().isEmpty() && GameClocks().MilliClock() - chatOpened_ < kChatSwallowMs)
        return true;
    return false;
}

bool Tzrgame::BoxKey(int qtKey, bool up) {
    if (!GameInputAllowed())
        return false;
    const char character = qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9
                               ? static_cast<char>('0' + qtKey - Qt::Key_0)
                               : '\0';
    SpectatorViewKey(character, up);
    return true;
}

}  // namespace pk
