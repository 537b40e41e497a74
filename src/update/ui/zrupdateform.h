#pragma once
// "Pelkorin Update": the update client's dialog. A thin view over the session
// in update/zrupdate.h; both buttons end the run through UpdateClose.
#include <QDialog>

#include "core/ui/zrtxtbox.h"
#include "update/zrupdate.h"

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace pk {

// The release notes: a chat text box, its lines styled by their codes.
class TUpdateNotes : public TZRTxtbox, public UpdateNotesView {
public:
    explicit TUpdateNotes(QWidget* parent = nullptr);
    void Clear() override;
    void AddLine(const std::string& line) override;
    void ScrollToLine(int line) override;
};

class Tupdate : public QDialog, public UpdateView {
    Q_OBJECT
public:
    explicit Tupdate(QWidget* parent = nullptr);
    ~Tupdate() override;

    void Arrange(bool download) override;
    void SetStatus(const std::string& text) override;
    void SetProgressMaximum(int maximum) override;
    void SetProgress(int position) override;
    void SetTimeLeft(const std::string& text) override;
    void SetReceivedBytes(const std::string& text) override;
    UpdateNotesView& Notes() override;
    bool IsShown() const override;
    void ShowCentred(bool modal) override;
    void CloseDialog() override;
    void Repaint() override;

    QPushButton* cancelupdate() const { return cancelupdate_; }
    QPushButton* finishupdate() const { return finishupdate_; }
    QGroupBox* totalbox() const { return totalbox_; }
    QLabel* status() const { return status_; }
    QProgressBar* totalprogress() const { return totalprogress_; }
    QLabel* totaltimeleft() const { return totaltimeleft_; }
    QLabel* recbytes() const { return recbytes_; }
    QGroupBox* messagebox() const { return messagebox_; }
    TUpdateNotes* notes() const { return notes_; }

    void cancelupdateClick();
    void finishupdateClick();

protected:
    // The window's own close button ends the run as the buttons do.
    void reject() override;

private:
    QPushButton* cancelupdate_ = nullptr;
    QPushButton* finishupdate_ = nullptr;
    QGroupBox* totalbox_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* totalprogress_ = nullptr;
    QLabel* totaltimeleft_ = nullptr;
    QLabel* recbytes_ = nullptr;
    QGroupBox* messagebox_ = nullptr;
    TUpdateNotes* notes_ = nullptr;
};

// The one update dialog, made by start-up; null before that.
extern Tupdate* update;

// The update client's view of the running program: the main window's id for
// the updater; message boxes and the close go through the shell's window.
class TupdateHost : public UpdateHost {
public:
    explicit TupdateHost(QWidget* mainWindow) : mainWindow_(mainWindow) {}
    std::string MainWindowId() override;

private:
    QWidget* mainWindow_;
};

}  // namespace pk
