#pragma once
// "Permanent Status List": the room's standing entries (operators, voiced users, bans and
// allows) as the master server sends them, with their removal. The lobby link owns its
// socket: this dialog binds no socket events.
#include <QDialog>

#include "lobby/zrstatuslist.h"

class QPushButton;
class QTreeWidget;

namespace pk {

class Tzrpsl : public QDialog {
public:
    explicit Tzrpsl(QWidget* parent = nullptr);
    ~Tzrpsl() override;

    // Message 22: the rows refilled from the payload, the dialog shown.
    void FillStatusList(const std::string& payload);
    void OKClick();
    void removeuserClick();
    void statuslistColumnClick(int column);

    const TStatusListModel& Model() const { return model_; }
    QTreeWidget* statuslist() const { return statuslist_; }
    QPushButton* removeuser() const { return removeuser_; }
    QPushButton* ok() const { return ok_; }

private:
    // The view shows the model's rows, order and selection.
    void ShowRows();

    TStatusListModel model_;
    QTreeWidget* statuslist_ = nullptr;
    QPushButton* removeuser_ = nullptr;
    QPushButton* ok_ = nullptr;
    bool filling_ = false;
};

// The one status list dialog, made at start-up; null before that.
extern Tzrpsl* zrpsl;

}  // namespace pk
