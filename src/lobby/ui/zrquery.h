#pragma once
// The query dialog `Tsbquery` ("Info"): one question at a time, each on its own panel with OK
// (the default button) and Cancel. The caller picks the panel, shows the dialog modal and reads
// the panel's edits when SbQueryResult is true. The edits keep their text between uses.
#include <QDialog>
#include <array>
#include <functional>
#include <string>

class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace pk {

// True when the dialog last closed with OK; false again each time it is shown.
extern bool SbQueryResult;

class Tsbquery : public QDialog {
public:
    enum Panel : int {
        verifypanel,
        getpasspanel,
        joinpasspanel,
        newkeypanel,
        topicpanel,
        newgameset,
        newroompanel,
        kbpanel,
        PanelCount
    };

    explicit Tsbquery(QWidget* parent = nullptr);
    ~Tsbquery() override;

    // Shows the panel modal; returns SbQueryResult.
    bool Ask(Panel panel);
    Panel Shown() const;
    // Brings a panel to the front without showing the dialog.
    void SetPanel(Panel panel);

    // The panels' edits by name: "verifynumber", "dobmonth", "dobday", "dobyear",
    // "joinpasswordeb", "newkeyedit", "topiceb", "newset", "newroomeb", "kbmessage".
    QLineEdit* Edit(const char* name) const;
    std::string Text(const char* name) const;
    void SetText(const char* name, const std::string& text);

    // Tests answer instead of a person: called in place of the modal loop with the dialog
    // showing the panel; true stands for OK.
    using Answerer = std::function<bool(Tsbquery&, Panel)>;
    static void SetAnswerer(Answerer answerer);

    void okClick();
    void cancelClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QStackedWidget* panels_ = nullptr;
    std::array<QPushButton*, PanelCount> oks_{};
};

// The one query dialog, while it exists.
extern Tsbquery* sbquery;

}  // namespace pk
