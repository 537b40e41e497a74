// The "Batch" menu of the editor's main window: the marked resources exported
// to a folder tree, or imported from one.
#pragma once

#include <QObject>
#include <string>

namespace pk {

class TForm1;

class BatchMenu : public QObject {
    Q_OBJECT
public:
    // Adds the menu to the window's menu bar.
    explicit BatchMenu(TForm1& form);

    void Exportselected1Click();
    void Importselected1Click();

private:
    std::string ChooseFolder(const std::string& title);

    TForm1& form_;
};

}  // namespace pk
