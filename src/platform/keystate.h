#pragma once
// Which keys are held down, in Windows virtual-key codes.
//
// The key codes stored in "pelkorin.cfg" and shown by the key names are
// Windows virtual-key codes, so the table keeps that meaning on every
// platform. The main thread writes it (through the application-wide key
// filter); the game thread polls it, so every cell is atomic.
#include <array>
#include <atomic>
#include <cstdint>
#include <map>

namespace pk {

// Windows virtual-key codes of the named keys. Letters and digits are their upper-case ASCII
// codes ('A' = 65, '0' = 48).
enum VirtualKey : int {
    VkBack = 8,
    VkTab = 9,
    VkClear = 12,
    VkReturn = 13,
    VkShift = 16,
    VkControl = 17,
    VkMenu = 18,
    VkPause = 19,
    VkCapital = 20,
    VkEscape = 27,
    VkSpace = 32,
    VkPrior = 33,
    VkNext = 34,
    VkEnd = 35,
    VkHome = 36,
    VkLeft = 37,
    VkUp = 38,
    VkRight = 39,
    VkDown = 40,
    VkSelect = 41,
    VkPrint = 42,
    VkExecute = 43,
    VkSnapshot = 44,
    VkInsert = 45,
    VkDelete = 46,
    VkHelp = 47,
    VkLWin = 91,
    VkApps = 93,
    VkNumpad0 = 96,
    VkMultiply = 106,
    VkAdd = 107,
    VkSubtract = 109,
    VkDecimal = 110,
    VkDivide = 111,
    VkF1 = 112,
    VkNumLock = 144,
    VkScroll = 145,
    VkOem1 = 186,       // ;:
    VkOemPlus = 187,    // =+
    VkOemComma = 188,   // ,<
    VkOemMinus = 189,   // -_
    VkOemPeriod = 190,  // .>
    VkOem2 = 191,       // /?
    VkOem3 = 192,       // `~
    VkOem4 = 219,       // [{
    VkOem5 = 220,       // \|
    VkOem6 = 221,       // ]}
    VkOem7 = 222,       // '"
};

// Anything the game thread can ask whether a virtual key is down.
class KeyStateSource {
public:
    virtual ~KeyStateSource() = default;
    virtual bool keyDown(int virtualKey) const = 0;
};

// The down/up table. Presses and releases are paired by a holder id (the
// native scan code of the physical key), not by the key the release reports:
// Shift pressed between the two may turn '1' into '!' on release, and the
// release must still let go of the '1'.
class KeyStateTable : public KeyStateSource {
public:
    static constexpr int Size = 256;

    bool keyDown(int virtualKey) const override;

    // Main thread only. A holder of 0 means "no scan code known": the key is
    // then paired by its virtual-key code. Repeated presses of one holder
    // count once; a release of a holder that never pressed does nothing.
    void press(std::uint32_t scanCode, int virtualKey);
    void release(std::uint32_t scanCode, int virtualKey);
    // Lets go of every key (the application lost the focus).
    void releaseAll();

private:
    static std::uint32_t holderOf(std::uint32_t scanCode, int virtualKey);
    void publish(int virtualKey);

    std::map<std::uint32_t, int> held_;   // holder -> virtual key
    std::array<int, Size> holders_ = {};  // holders per virtual key
    std::array<std::atomic<bool>, Size> down_ = {};
};

// The virtual-key code for a Qt key event, or 0 when the key has none.
// `qtKey` is the Qt::Key value, `keypad` whether the key sits on the numeric
// keypad, and `scanCode` the native scan code (an XKB keycode on X11 and
// Wayland, 0 when unknown). Letters, digits and named keys follow the
// keyboard layout as Qt reports them; punctuation and shifted symbols are
// taken from the key's position, as Windows does for its OEM keys.
int VirtualKeyFromQt(int qtKey, bool keypad, std::uint32_t scanCode);

// The table the application-wide key filter writes and the game polls.
KeyStateTable& ApplicationKeyState();

// Windows re-toggles Caps Lock with a synthetic press when the key is used as
// a game key. Qt offers no portable way to change the lock state, so this
// does nothing here; the game still calls it at the same place.
void UndoCapsLockToggle();

}  // namespace pk
