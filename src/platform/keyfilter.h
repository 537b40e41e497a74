#pragma once
// The one application-wide key filter: it watches every key press and
// release the application receives and keeps a key state table up to date,
// so the game thread can poll keys as if the platform had a key-state query.
#include <QObject>

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

// Whether one of this program's windows is the active one (another program is not in front).
// False without a GUI application.
bool ApplicationInFront();

}  // namespace pk
