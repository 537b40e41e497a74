#pragma once
// The room chat: the chat box, with the statistics panel above it in one splitter, and the edit
// line below. The edit's keys send the line, complete a private message's nick and start style
// codes; after a button or a menu entry the other panels hand the keys back to the edit.
#include <QWidget>
#include <string>

class QKeyEvent;
class QLineEdit;
class QSplitter;

namespace pk {

class TBoxFontMenu;
class TZRTxtbox;
struct RoomWindowConfig;

class TRoomChatPanel : public QWidget {
public:
    // The edit line's height, at the panel's bottom.
    static constexpr int kEditHeight = 22;

    // `form` is the room window: the font dialog's parent, and what the edit must show in.
    TRoomChatPanel(QWidget* parent, QWidget& form);
    ~TRoomChatPanel() override;

    TZRTxtbox* chatbox() const { return chatbox_; }
    QLineEdit* chatedit() const { return chatedit_; }
    TBoxFontMenu* fontchangepopup() const { return fontchangepopup_; }
    // Puts `stats` above the chat box; the chat box takes what the statistics leave.
    void AddStatsPanel(QWidget& stats);
    // Takes `area` of its parent and lays the splitter and the edit line out in it.
    void Place(const QRect& area);

    // The edit's keys: a key goes down, then its character is typed. Each returns true when the
    // key goes no further.
    bool chateditKeyDown(const QKeyEvent& key);
    bool chateditKeyPress(const QKeyEvent& key);
    // The edit takes the keys when it can.
    void FocusChat();
    void AddChatLine(const std::string& line);
    void ClearChat();
    // The chat font's keys.
    void SetConfig(const RoomWindowConfig& config);
    void GetConfig(RoomWindowConfig& config) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& form_;
    QSplitter* gamestatssplit_ = nullptr;
    TZRTxtbox* chatbox_ = nullptr;
    QWidget* ebpanel_ = nullptr;
    QLineEdit* chatedit_ = nullptr;
    TBoxFontMenu* fontchangepopup_ = nullptr;
    // Set when a key's down handler did its work: the character it types is swallowed.
    bool SuppressChatKey = false;
};

}  // namespace pk
