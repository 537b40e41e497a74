#pragma once
// TTraybar: the client's icon in the desktop's notification area, on QSystemTrayIcon. The tip
// keeps at most 64 characters; a left press raises Onclick, a double click OnDblClick, a right
// click OnRightClick or, without that handler, pops the menu up at the cursor.
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

class QMenu;
class QSystemTrayIcon;

namespace pk {

inline constexpr std::size_t TrayHintLength = 64;

class TTraybar : public QObject {
public:
    explicit TTraybar(QObject* parent = nullptr);
    ~TTraybar() override;

    const std::string& Hint() const { return hint_; }
    // Cut to TrayHintLength bytes; a shown icon takes the new tip at once.
    void SetHint(const std::string& hint);
    const QIcon& Icon() const { return icon_; }
    void SetIcon(const QIcon& icon);
    void SetPopupMenu(QMenu* menu) { menu_ = menu; }
    QMenu* PopupMenu() const { return menu_; }

    std::function<void()> Onclick;
    std::function<void()> OnDblClick;
    std::function<void()> OnRightClick;

    // Whether the desktop has a notification area.
    static bool Available();
    // Shows the icon (false where there is no notification area) and removes it.
    bool AddIcon();
    void DeleteIcon();
    bool Shown() const;

    // The icon's mouse messages, as the platform reports them.
    enum class Mouse { LeftDown, LeftDouble, RightUp };
    void Callback(Mouse message);

private:
    std::string hint_;
    QIcon icon_;
    QPointer<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> tray_;
};

}  // namespace pk
