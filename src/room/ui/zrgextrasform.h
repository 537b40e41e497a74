#pragma once
// "Extra Game Settings": the room moderator's editor of the room message and the ban list.
// A plain dialog over TExtrasModel; everything it sends is decided by the model.
#include <QDialog>

#include "room/zrgextras.h"

class QPlainTextEdit;
class QTabWidget;

namespace pk {

class Tzrextras : public QDialog {
    Q_OBJECT
public:
    explicit Tzrextras(QWidget* parent = nullptr);

    // Fills both edits from the room's texts now in force.
    void LoadFromSettings();
    // Takes the edits into the model and closes when both can be sent; otherwise shows why
    // and stays open, so that nothing typed is lost.
    bool FormClose();

    QPlainTextEdit* motdbox() const { return motdbox_; }
    QPlainTextEdit* banbox() const { return banbox_; }

    // Shows the dialog modally over `parent` with the room's texts.
    static void ShowExtras(QWidget* parent);

protected:
    void done(int result) override;

private:
    void LoadTextInto(QPlainTextEdit* edit);
    void SaveTextFrom(QPlainTextEdit* edit);
    void AddTextMenu(QPlainTextEdit* edit);

    TExtrasModel model_;
    QTabWidget* pages_ = nullptr;
    QPlainTextEdit* motdbox_ = nullptr;
    QPlainTextEdit* banbox_ = nullptr;
};

// Edit text <-> model text: lines joined by CR LF, in the code page of the protocol.
std::string EditTextToBytes(const QString& text);
QString BytesToEditText(const std::string& bytes);

}  // namespace pk
