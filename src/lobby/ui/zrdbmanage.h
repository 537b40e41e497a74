#pragma once
// "User Database Management": the administrator's console for the master server's user
// table. Statements typed in the line or built by the five forms go out as "userdb"; each
// reply becomes a tab at the front, shown as a grid.
#include <QDialog>

#include "lobby/zrdbconsole.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QTabWidget;
class QTableWidget;

namespace pk {

class Tdbmanage : public QDialog {
public:
    explicit Tdbmanage(QWidget* parent = nullptr);
    ~Tdbmanage() override;

    void ShowConsole();
    // Message 30: a new tab at the front, selected and shown; the console is shown.
    void AddDbResult(const std::string& payload);
    // Shows a reply (empty: an empty result) in the grid and the labels.
    void ShowDbResult(const std::string& payload);
    void ShowResult(const TDbResult& result);

    // Enter in the statement line: sent while connected and kept in the history.
    void statementKeyPress();
    // The statement line's Up and Down keys walk the history; true when the key was used.
    bool statementKeyDown(int qtKey);
    // The statement line fills its panel's width but for a margin, whichever panel resized.
    void Panel4Resize();
    void querytabsChange(int index);
    // A press on the tab strip at height y: the right button removes the selected tab.
    void querytabsMouseDown(Qt::MouseButton button, int y);
    void lushowClick();
    void cfupdateClick();
    void dudeleteClick();
    void cbucreateClick();
    void cpupdateClick();

    const TDbConsoleModel& Model() const { return model_; }
    QComboBox* statement() const { return statement_; }
    QTabBar* querytabs() const { return querytabs_; }
    QLabel* forquery() const { return forquery_; }
    QLabel* error() const { return error_; }
    QTableWidget* grid() const { return grid_; }
    QTabWidget* functions() const { return functions_; }
    // The forms' edits by name ("lucol", "cfname", ...).
    QLineEdit* Edit(const char* name) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowTabs();
    QLineEdit* AddField(QWidget* page, const char* name, const char* label, int row);
    std::string Field(const char* name) const;

    TDbConsoleModel model_;
    TDbStatementEdit edit_;
    QWidget* panel4_ = nullptr;
    QWidget* panel6_ = nullptr;
    QComboBox* statement_ = nullptr;
    QTabBar* querytabs_ = nullptr;
    QLabel* forquery_ = nullptr;
    QLabel* error_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QTabWidget* functions_ = nullptr;
    bool filling_ = false;
};

// The one console, made at start-up; null before that.
extern Tdbmanage* dbmanage;

}  // namespace pk
