#pragma once
// The one application-wide key filter: it watches every key press and
// release the application receives and keeps a key state table up to date,
// so the game thread can poll keys as if the platform had a key-state query.
#include <QObject>
#include <functional>

#include "platform/keystate.h"

namespace pk {

class KeyFilter : public QObject {
public:
    // Installs itself on the running application object; removed again when
    // destroyed. The table defaults to the application's own.
    explicit KeyFilter(KeyStateTable& table = ApplicationKeyState(), QObject* parent = nullptr);
    ~KeyFilter() override;

    KeyFilter(const KeyFilter&) = delete;
    KeyFilter& operator=(const KeyFilter&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyStateTable& table_;
};

// A physical key going down, as the key filter saw it.
struct KeyPressInfo {
    int virtualKey = 0;  // 0 for a key without a virtual-key code
    bool shift = false;  // the modifiers held, the key itself included when it is one
    bool ctrl = false;
    bool alt = false;
    QObject* window = nullptr;  // the window the key went to
};
// Told once of every physical key press that reaches one of the program's windows (not of the
// platform's auto-repeat), before any widget sees it; the key still goes on to the focused
// widget. Empty removes it.
using KeyPressListener = std::function<void(const KeyPressInfo&)>;
void SetKeyPressListener(KeyPressListener listener);

// Whether one of this program's windows is the active one (another program is not in front).
// False without a GUI application.
bool ApplicationInFront();

}  // namespace pk
