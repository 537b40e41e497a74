#include "platform/keystate.h"

#include <Qt>
#include <string_view>

namespace pk {

namespace {

int NamedKey(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey;  // same codes
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VkF1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
        case Qt::Key_Backspace:
            return VkBack;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return VkTab;  // Shift+Tab is still the Tab key
        case Qt::Key_Clear:
            return VkClear;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VkReturn;
        case Qt::Key_Shift:
            return VkShift;
        case Qt::Key_Control:
            return VkControl;
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
            return VkMenu;
        case Qt::Key_Pause:
            return VkPause;
        case Qt::Key_CapsLock:
            return VkCapital;
        case Qt::Key_Escape:
            return VkEscape;
        case Qt::Key_Space:
            return VkSpace;
        case Qt::Key_PageUp:
            return VkPrior;
        case Qt::Key_PageDown:
            return VkNext;
        case Qt::Key_End:
            return VkEnd;
        case Qt::Key_Home:
            return VkHome;
        case Qt::Key_Left:
            return VkLeft;
        case Qt::Key_Up:
            return VkUp;
        case Qt::Key_Right:
            return VkRight;
        case Qt::Key_Down:
            return VkDown;
        case Qt::Key_Select:
            return VkSelect;
        case Qt::Key_Printer:
            return VkPrint;
        case Qt::Key_Execute:
            return VkExecute;
        case Qt::Key_Print:
            return VkSnapshot;
        case Qt::Key_Insert:
            return VkInsert;
        case Qt::Key_Delete:
            return VkDelete;
        case Qt::Key_Help:
            return VkHelp;
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
            return VkLWin;
        case Qt::Key_Menu:
            return VkApps;
        case Qt::Key_NumLock:
            return VkNumLock;
        case Qt::Key_ScrollLock:
            return VkScroll;
        default:
            return 0;
    }
}

int KeypadKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return VkNumpad0 + (qtKey - Qt::Key_0);
    switch (qtKey) {
        case Qt::Key_Asterisk:
            return VkMultiply;
        case Qt::Key_Plus:
            return VkAdd;
        case Qt::Key_Minus:
            return VkSubtract;
        case Qt::Key_Period:
        case Qt::Key_Comma:
            return VkDecimal;  // the decimal key of some layouts
        case Qt::Key_Slash:
            return VkDivide;
        default:
            return 0;
    }
}

// XKB keycodes (Linux input codes + 8) of the keys whose virtual-key code
// Windows takes from the key's place: the digit row, the punctuation keys
// and the letters (for layouts whose letters are not Latin).
int PositionalKey(std::uint32_t scanCode) {
    static constexpr const char* kLetterRows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    static constexpr std::uint32_t kLetterRowStart[] = {24, 38, 52};
    if (scanCode >= 10 && scanCode <= 18)
        return '1' + static_cast<int>(scanCode - 10);
    if (scanCode == 19)
        return '0';
    for (int row = 0; row < 3; ++row) {
        std::uint32_t start = kLetterRowStart[row];
        std::string_view letters = kLetterRows[row];
        if (scanCode >= start && scanCode < start + letters.size()) {
            return letters[scanCode - start];
        }
    }
    switch (scanCode) {
        case 20:
            return VkOemMinus;
        case 21:
            return VkOemPlus;
        case 34:
            return VkOem4;
        case 35:
            return VkOem6;
        case 47:
            return VkOem1;
        case 48:
            return VkOem7;
        case 49:
            return VkOem3;
        case 51:
            return VkOem5;
        case 59:
            return VkOemComma;
        case 60:
            return VkOemPeriod;
        case 61:
            return VkOem2;
        default:
            return 0;
    }
}

// Punctuation as a US keyboard writes it, shifted or not: the last resort
// when the scan code is unknown.
int PunctuationKey(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Exclam:
            return '1';
        case Qt::Key_At:
            return '2';
        case Qt::Key_NumberSign:
            return '3';
        case Qt::Key_Dollar:
            return '4';
        case Qt::Key_Percent:
            return '5';
        case Qt::Key_AsciiCircum:
            return '6';
        case Qt::Key_Ampersand:
            return '7';
        case Qt::Key_Asterisk:
            return '8';
        case Qt::Key_ParenLeft:
            return '9';
        case Qt::Key_ParenRight:
            return '0';
        case Qt::Key_Semicolon:
        case Qt::Key_Colon:
            return VkOem1;
        case Qt::Key_Equal:
        case Qt::Key_Plus:
            return VkOemPlus;
        case Qt::Key_Comma:
        case Qt::Key_Less:
            return VkOemComma;
        case Qt::Key_Minus:
        case Qt::Key_Underscore:
            return VkOemMinus;
        case Qt::Key_Period:
        case Qt::Key_Greater:
            return VkOemPeriod;
        case Qt::Key_Slash:
        case Qt::Key_Question:
            return VkOem2;
        case Qt::Key_QuoteLeft:
        case Qt::Key_AsciiTilde:
            return VkOem3;
        case Qt::Key_BracketLeft:
        case Qt::Key_BraceLeft:
            return VkOem4;
        case Qt::Key_Backslash:
        case Qt::Key_Bar:
            return VkOem5;
        case Qt::Key_BracketRight:
        case Qt::Key_BraceRight:
            return VkOem6;
        case Qt::Key_Apostrophe:
        case Qt::Key_QuoteDbl:
            return VkOem7;
        default:
            return 0;
    }
}

}  // namespace

int VirtualKeyFromQt(int qtKey, bool keypad, std::uint32_t scanCode) {
    if (keypad) {
        if (int vk = KeypadKey(qtKey))
            return vk;
    }
    if (int vk = NamedKey(qtKey))
        return vk;
    if (int vk = PositionalKey(scanCode))
        return vk;
    return PunctuationKey(qtKey);
}

bool KeyStateTable::keyDown(int virtualKey) const {
    if (virtualKey <= 0 || virtualKey >= Size)
        return false;
    return down_[virtualKey].load(std::memory_order_acquire);
}

std::uint32_t KeyStateTable::holderOf(std::uint32_t scanCode, int virtualKey) {
    // Scan codes are small; keys without one get ids above any scan code.
    return scanCode != 0 ? scanCode : 0x80000000u | static_cast<std::uint32_t>(virtualKey);
}

void KeyStateTable::publish(int virtualKey) {
    down_[virtualKey].store(holders_[virtualKey] > 0, std::memory_order_release);
}

void KeyStateTable::press(std::uint32_t scanCode, int virtualKey) {
    if (virtualKey <= 0 || virtualKey >= Size)
        return;
    auto [it, inserted] = held_.emplace(holderOf(scanCode, virtualKey), virtualKey);
    if (!inserted)
        return;  // seen already: a repeat or the same event again
    ++holders_[virtualKey];
    publish(virtualKey);
}

void KeyStateTable::release(std::uint32_t scanCode, int virtualKey) {
    auto it = held_.find(holderOf(scanCode, virtualKey));
    if (it == held_.end())
        return;
    int vk = it->second;  // the key that went down, whatever the release says
    held_.erase(it);
    --holders_[vk];
    publish(vk);
}

void KeyStateTable::releaseAll() {
    held_.clear();
    for (int vk = 0; vk < Size; ++vk) {
        holders_[vk] = 0;
        publish(vk);
    }
}

KeyStateTable& ApplicationKeyState() {
    static KeyStateTable table;
    return table;
}

void UndoCapsLockToggle() {}

}  // namespace pk
