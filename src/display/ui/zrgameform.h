#pragma once
// The in-game window `Tzrgame` ("game"): the six fields and the side elements, which the skin
// paints (display/zrgamedisplay.h), the party line `ingamepline` and the attack list `attacks`
// (chat text boxes), and the one-line chat edit `msgbox`, which opens on the chat key. It is
// the display's GameWindowView (display/zrgamewindow.h) and installs the display's painters with
// its text painter.
#include <QLineEdit>
#include <QMenu>
#include <functional>
#include <memory>

#include "core/ui/zrtxtbox.h"
#include "display/zrgamewindow.h"
#include "skin/ui/zrskinform.h"

class QFontDialog;

namespace pk {

class QtTextPainter;

class Tzrgame : public TZRSkinForm, public GameWindowView {
public:
    explicit Tzrgame(QWidget* parent = nullptr);
    ~Tzrgame() override;

    TZRTxtbox* ingamepline() { return ingamepline_; }
    TZRTxtbox* attacks() { return attacks_; }
    // The one-line chat edit, bound to the element "chateditbox"; disabled and hidden until
    // the chat key opens it.
    QLineEdit* msgbox() { return msgbox_; }
    QMenu* plinepopup() { return plinepopup_; }
    QMenu* attackspopup() { return attackspopup_; }

    // "con_game" shown: a suspended game thread runs again.
    void ContainerShown() override;
    // "con_game" hidden: outside a game the game thread is suspended; an open chat edit is
    // closed and its element deactivated.
    void ContainerHidden() override;

    // GameWindowView
    void ShowGameMessage(const std::string& line) override;
    void ClearGameChat() override;
    void SetGameChatText(const std::string& text) override;
    void ClearAttackList() override;
    void AddAttackLine(const std::string& line) override;
    void ActivateChatEdit() override;
    bool ChatEditFocused() override;
    bool Shown() override;
    void SetBoxFonts(const FontSpec& chat, const FontSpec& attacks) override;
    void GetBoxFonts(FontSpec& chat, FontSpec& attacks) override;

    // The font dialog ("Change Font..."); tests replace it. Returns false when cancelled.
    using FontPicker = std::function<bool(QFont& font)>;
    void SetFontPicker(FontPicker picker) { fontPicker_ = std::move(picker); }
    void ChangeFont(TZRTxtbox& box);
    void RestoreDefaultFont(TZRTxtbox& box);

private:
    // The chat edit's keys (Esc, completion, the swallow after opening, Enter on release).
    bool MsgboxKey(QKeyEvent& key, bool up);
    void CloseChatEdit();
    bool BoxKey(int qtKey, bool up);

    TZRTxtbox* ingamepline_ = nullptr;
    TZRTxtbox* attacks_ = nullptr;
    QLineEdit* msgbox_ = nullptr;
    QMenu* plinepopup_ = nullptr;
    QMenu* attackspopup_ = nullptr;
    std::unique_ptr<QtTextPainter> text_;
    std::unique_ptr<QObject> msgboxKeys_;
    FontPicker fontPicker_;
    int64_t chatOpened_ = 0;  // MilliClock when the chat edit opened
    bool chatFontSet_ = false;
    bool attacksFontSet_ = false;
};

// The one in-game window, while it exists.
extern Tzrgame* zrgame;

}  // namespace pk
