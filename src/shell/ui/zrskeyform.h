#pragma once
// The key page `Tzrskey` ("setcontrol"): the keys of the 19 actions in three grids and the
// three sensitivity bars, over the key table's setting copies (game/zrkeypage.h decides what
// changes). A double-click on a grid row captures a key with `Tzrpickkeyf`.
#include <QDialog>
#include <QWidget>
#include <functional>
#include <vector>

#include "game/zrkeypage.h"
#include "skin/ui/zrskinform.h"

class QLabel;
class QPushButton;
class QSlider;
class QTableWidget;

namespace pk {

// The modal dialog that captures one key: the first key released while it shows is the
// picked key (as a virtual-key code) and closes it; the key goes no further.
class Tzrpickkeyf : public QDialog {
public:
    explicit Tzrpickkeyf(QWidget* parent = nullptr);
    ~Tzrpickkeyf() override;
    uint16_t PickedKey() const { return picked_; }

    void FormShow();
    // Every key press is swallowed, so no key (Esc, Enter) closes the dialog before its release.
    void FormKeyPress(QKeyEvent& key);
    // The released key becomes the picked key and closes the dialog.
    void FormKeyUp(QKeyEvent& key);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    uint16_t picked_ = 0;
};

// The key dialog, while it exists.
extern Tzrpickkeyf* zrpickkeyf;

// Shows the key dialog modally over `parent`; the picked key, 0 when it closed without one.
int PickKey(QWidget* parent);

class Tzrskey : public TZRSkinForm {
public:
    explicit Tzrskey(QWidget* parent = nullptr);
    ~Tzrskey() override;

    // The grids' key column and the bars from the settings, without running the bars' change
    // handlers.
    void ShowKeys();
    // A row of a grid double-clicked: captures a key for its slot.
    void PickKeyFor(KeyGrid grid, int row);
    void movekeylistDblClick(int row) { PickKeyFor(KeyGrid::Move, row); }
    void misckeylistDblClick(int row) { PickKeyFor(KeyGrid::Misc, row); }
    void sbkeylistDblClick(int row) { PickKeyFor(KeyGrid::Special, row); }
    void defaultconfigClick();
    void defaultrepeatClick();
    // A bar moved by the player (never by ShowKeys): its label and the key table follow.
    void horzdelaybarChange(int value);
    void horzrepeatbarChange(int value);
    void downrepeatbarChange(int value);

    // Tests and other callers replace the capture (the modal dialog by default).
    using KeyPicker = std::function<int()>;
    void SetKeyPicker(KeyPicker picker) { picker_ = std::move(picker); }

    void ContainerShown() override;

    QTableWidget* movekeylist = nullptr;
    QTableWidget* misckeylist = nullptr;
    QTableWidget* sbkeylist = nullptr;
    QSlider* horzdelaybar = nullptr;
    QSlider* horzrepeatbar = nullptr;
    QSlider* downrepeatbar = nullptr;
    QLabel* delaylabel = nullptr;
    QLabel* repeatlabel = nullptr;
    QLabel* falllabel = nullptr;
    QPushButton* defaultconfig = nullptr;
    QPushButton* defaultrepeat = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTableWidget* AddGrid(const char* name, KeyGrid grid, int left, int top,
                          void (Tzrskey::*dblClick)(int row));
    QSlider* AddBar(const char* name, int maximum, QLabel** valueLabel, int top,
                    void (Tzrskey::*changed)(int value));
    QLabel* AddText(const QString& text, int left, int top, int width);

    KeyPicker picker_;
    std::vector<QWidget*> texts_;
};

// The key page, while it exists.
extern Tzrskey* zrskey;

}  // namespace pk
