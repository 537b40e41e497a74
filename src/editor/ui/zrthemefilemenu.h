// The File menu of the editor's main window: New, Open, Save, Save As, the old
// pack import, the recent files and Exit. New, Open, a recent file, the old
// pack import and the window's close ask first while the theme has unsaved
// changes (`MayDiscardChanges`).
#pragma once

#include <QMessageBox>
#include <QObject>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

namespace pk {

class KledDoc;
class TForm1;

class ThemeFileMenu : public QObject {
    Q_OBJECT
public:
    // Adds the menu to the window's menu bar.
    explicit ThemeFileMenu(TForm1& form);

    QMenu* menu() const { return menu_; }
    void newthemeClick();
    void openthemeClick();
    void savethemeClick();
    void savethemeasClick();
    void Createthemefromoldbitmap1Click();
    void Exit1Click();
    // A recent file chosen in the menu.
    void OpenRecentFile(const std::string& file);
    // The history changed: the menu shows it again.
    void RecentChanged();
    // True when the theme may be replaced: no changes, or they were saved or
    // the user let them go.
    bool MayDiscardChanges();

private:
    std::string ChooseFile(bool save);
    std::string ChooseOldPack();
    QMessageBox::StandardButton Ask(const std::string& text, QMessageBox::StandardButtons buttons);
    // True when the theme was written.
    bool SaveCurrent();
    bool SaveUnderNewName();
    bool AskReplace(const std::string& file);

    TForm1& form_;
    KledDoc& doc_;
    QMenu* menu_ = nullptr;
    QAction* noRecent_ = nullptr;
    std::vector<QAction*> recentActions_;
};

}  // namespace pk
