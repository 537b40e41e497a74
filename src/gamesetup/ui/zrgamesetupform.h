#pragma once
// The game-set editor window `Tzrgamesetup` ("Game Setup"): a header with the set list, the
// confirm and cancel buttons, the region box and the set management buttons, and below it the
// tab pages of the set's controls, shown with "Show Settings". The logic lives in TGameSetup
// (gamesetup/zrgamesetup.h); this window copies its controls in and out and calls it. Closing the
// window any way takes the Cancel path.
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "gamesetup/zrgamesetup.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTabWidget;

namespace pk {

class Tzrgamesetup : public QWidget {
public:
    explicit Tzrgamesetup(QWidget* parent = nullptr);
    ~Tzrgamesetup() override;

    // Opens the editor in a mode (0 the room's set, 1 join, 2 create), shown and in front.
    void SetMode(std::int32_t gameId, const std::string& gameName, const std::string& data,
                 bool editable, int mode);
    // The region box: its text and the region a create sends (0 for none).
    void FillRegions(std::int32_t regionId, const std::string& text);

    TGameSetup& Model() { return model_; }
    bool SettingsShown() const { return settingsShown_; }

    // Controls by their names, for the window's users and tests.
    QComboBox* presetlist() const { return presetlist_; }
    QPushButton* creategameb() const { return creategameb_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* showsettings() const { return showsettings_; }
    QPushButton* aadd() const { return aadd_; }
    QPushButton* adelete() const { return adelete_; }
    QPushButton* renameButton() const { return rename_; }
    QCheckBox* spectator() const { return spectator_; }
    QLineEdit* regiontext() const { return regiontext_; }
    QPushButton* moreregions() const { return moreregions_; }
    QLabel* label1() const { return label1_; }
    QComboBox* sbset() const { return sbset_; }
    QCheckBox* changeall() const { return changeall_; }
    QPushButton* shiftleft() const { return shiftleft_; }
    QPushButton* shiftright() const { return shiftright_; }
    QTabWidget* settingstablist() const { return tabs_; }
    // Every bound control by its name ("gsclassicstyle", "gsmaxplayers", "gssb3", ...).
    QWidget* Control(const std::string& name) const;

    // The controls from the model and back (the change handlers do the latter).
    void LoadControls();
    void ReadControls();

    // Handlers.
    void creategamebClick();
    void CancelClick();
    void showsettingsClick();
    void presetlistChange(int row);
    // Typing in the set list is swallowed (it would pick a set by its first letter); true when
    // the key was taken.
    bool presetlistKeyPress(const QString& text);
    void aaddClick();
    void adeleteClick();
    void renameClick();
    void MoreRegionsClick();
    // The controls' changes store the whole form into the selected set: edits, check boxes,
    // the piece track bars and the multi-line texts.
    void gseditchange();
    void gscbclick();
    void gstbchange();
    void gsrechange();
    // A special-block track bar ("gssb1" ... "gssb14") moved.
    void gssbChange(const QObject* bar);
    void sbsetChange(int index);
    void shiftleftClick();
    void shiftrightClick();
    void changeallClick(bool ticked);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build();
    // The tab pages and their controls (zrgamesetuppages.cpp).
    void BuildPages();
    void LoadList();
    void LoadWeights();
    void ControlChanged(const char* where);

    TGameSetup model_;
    bool updating_ = false;
    bool settingsShown_ = false;
    int headerHeight_ = 0;
    QWidget* header_ = nullptr;  // Panel2: the part the collapsed window shows
    QLabel* label1_ = nullptr;
    QComboBox* presetlist_ = nullptr;
    QPushButton* creategameb_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* showsettings_ = nullptr;
    QPushButton* aadd_ = nullptr;
    QPushButton* adelete_ = nullptr;
    QPushButton* rename_ = nullptr;
    QCheckBox* spectator_ = nullptr;
    QLineEdit* regiontext_ = nullptr;
    QPushButton* moreregions_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QComboBox* sbset_ = nullptr;
    QCheckBox* changeall_ = nullptr;
    QPushButton* shiftleft_ = nullptr;
    QPushButton* shiftright_ = nullptr;
    QPlainTextEdit* gsdesc_ = nullptr;
    QPlainTextEdit* gsclassicrules_ = nullptr;
    std::map<std::string, QCheckBox*, std::less<>> checks_;  // by key
    std::map<std::string, QLineEdit*, std::less<>> edits_;   // by key
    std::array<QLineEdit*, 6> stacks_{};
    std::array<QLineEdit*, 6> teams_{};
    std::array<QSlider*, SpecialBlockKinds> gssb_{};
    std::array<QSlider*, PieceKinds> gsp_{};
};

// The one editor window, while it exists.
extern Tzrgamesetup* zrgamesetup;

// The room window's settings button: the editor in its first mode for the joined game.
// Nothing happens while no editor window exists.
void OpenRoomGameSetup(std::int32_t gameId, const std::string& gameName, const std::string& data,
                       bool editable);
// Makes OpenRoomGameSetup what the room window's settings button opens (the joined game).
void InstallRoomGameSetEditor();

}  // namespace pk
