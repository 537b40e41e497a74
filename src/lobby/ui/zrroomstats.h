#pragma once
// "Room Details": the current room's topic, key and moderated mode, for its moderators. The
// main window is disabled while it is open and enabled again however it closes.
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace pk {

class Tsbroomstats : public QDialog {
public:
    explicit Tsbroomstats(QWidget* parent = nullptr);
    ~Tsbroomstats() override;

    // The room status box's double click: an open dialog is closed first; outside a room
    // nothing opens. True when shown.
    bool OpenForCurrentRoom();

    void roomkeycbClick();
    void applyClick();
    void cancelClick();
    int Result() const { return result_; }  // 1 apply, 2 cancel

    QLineEdit* roomtopic() const { return roomtopic_; }
    QCheckBox* roomkeycb() const { return roomkeycb_; }
    QLineEdit* roomkey() const { return roomkey_; }
    QCheckBox* roommod() const { return roommod_; }
    QPushButton* apply() const { return apply_; }
    QPushButton* cancel() const { return cancel_; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void FormClose();

    QLineEdit* roomtopic_ = nullptr;
    QCheckBox* roomkeycb_ = nullptr;
    QLineEdit* roomkey_ = nullptr;
    QCheckBox* roommod_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int result_ = 2;
    bool open_ = false;  // shown and not yet closed
};

// The one room details dialog, made at start-up; null before that.
extern Tsbroomstats* sbroomstats;

}  // namespace pk
