#pragma once
// The room window's tool bar above the chat: the game settings button, the extra settings
// (message of the day and ban list) button and the statistics button, each with its caption.
// The statistics panel answers its own button and keeps its caption.
#include <QWidget>
#include <string>
#include <string_view>

class QIcon;
class QLabel;
class QToolButton;

namespace pk {

class TRoomToolBar : public QWidget {
public:
    // `form` is the room window, the extra settings dialog's parent.
    TRoomToolBar(QWidget* parent, QWidget& form);

    QToolButton* changesettings() const { return changesettings_; }
    QToolButton* editextras() const { return editextras_; }
    QToolButton* showstats() const { return showstats_; }
    QLabel* gscaption() const { return gscaption_; }
    QLabel* editcaption() const { return editcaption_; }
    QLabel* statscaption() const { return statscaption_; }

    void changesettingsClick();
    void editextrasClick();
    // The icon sheet's tile for the button named `target`; other names are not ours.
    void SetIcon(std::string_view target, const QIcon& icon);
    // The settings button's caption, as the interface state words it.
    void SetGameSetCaption(const std::string& text);

private:
    QWidget& form_;
    QToolButton* changesettings_ = nullptr;
    QToolButton* editextras_ = nullptr;
    QToolButton* showstats_ = nullptr;
    QLabel* gscaption_ = nullptr;
    QLabel* editcaption_ = nullptr;
    QLabel* statscaption_ = nullptr;
};

}  // namespace pk
