#include "platform/keyfilter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <utility>

namespace pk {

namespace {

KeyPressListener keyPressListener;

KeyPressInfo PressInfo(const QKeyEvent& key, int vk) {
    const Qt::KeyboardModifiers m = key.modifiers();
    KeyPressInfo info;
    info.virtualKey = vk;
    info.shift = m.testFlag(Qt::ShiftModifier) || vk == VkShift;
    info.ctrl = m.testFlag(Qt::ControlModifier) || vk == VkControl;
    info.alt = m.testFlag(Qt::AltModifier) || vk == VkMenu;
    return info;
}

}  // namespace

void SetKeyPressListener(KeyPressListener listener) {
    keyPressListener = std::move(listener);
}

KeyFilter::KeyFilter(KeyStateTable& table, QObject* parent) : QObject(parent), table_(table) {
    if (auto* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

KeyFilter::~KeyFilter() {
    if (auto* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    // Only watches, never consumes: the windows still get every key. Called
    // from the event loop, so nothing may escape.
    try {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease: {
                auto* key = static_cast<QKeyEvent*>(event);
                // The platform's auto-repeat is not a key going down again;
                // the game makes its own repeats.
                if (key->isAutoRepeat())
                    break;
                bool keypad = key->modifiers().testFlag(Qt::KeypadModifier);
                std::uint32_t scan = key->nativeScanCode();
                int vk = VirtualKeyFromQt(key->key(), keypad, scan);
                if (event->type() == QEvent::KeyPress) {
                    table_.press(scan, vk);
                    // A key event reaches its window first and then, one after another, the
                    // widgets it is passed on to: the window's delivery counts it once.
                    if (keyPressListener && watched->isWindowType()) {
                        KeyPressInfo info = PressInfo(*key, vk);
                        info.window = watched;
                        keyPressListener(info);
                    }
                } else {
                    table_.release(scan, vk);
                }
                break;
            }
            case QEvent::ApplicationDeactivate:
                // Releases that happen while another application has the
                // focus never reach us; a key must not stay down for ever.
                table_.releaseAll();
                break;
            case QEvent::ApplicationStateChange:
                if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() !=
                    Qt::ApplicationActive) {
                    table_.releaseAll();
                }
                break;
            default:
                break;
        }
    } catch (...) {
    }
    return QObject::eventFilter(watched, event);
}

bool ApplicationInFront() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    return app != nullptr && QGuiApplication::applicationState() == Qt::ApplicationActive;
}

}  // namespace pk
