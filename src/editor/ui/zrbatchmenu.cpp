#include "editor/ui/zrbatchmenu.h"

#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>

#include "editor/ui/zrform1.h"
#include "editor/zrexport.h"

namespace pk {

BatchMenu::BatchMenu(TForm1& form) : QObject(&form), form_(form) {
    setObjectName("batchmenu");
    QMenu* batch = form.menuBar()->addMenu("Batch");
    connect(batch->addAction("Export selected..."), &QAction::triggered, this,
            &BatchMenu::Exportselected1Click);
    connect(batch->addAction("Import selected..."), &QAction::triggered, this,
            &BatchMenu::Importselected1Click);
}

std::string BatchMenu::ChooseFolder(const std::string& title) {
    if (form_.folderDialogSink)
        return form_.folderDialogSink(title);
    return QFileDialog::getExistingDirectory(&form_, QString::fromStdString(title)).toStdString();
}

void BatchMenu::Exportselected1Click() {
    const std::string folder = ChooseFolder("Save resources to...");
    if (folder.empty())
        return;
    const BatchOutcome out = ExportMarkedResources(form_.doc(), folder);
    if (!out.failures.empty())
        form_.ShowMessage(out.Message(true));
}

void BatchMenu::Importselected1Click() {
    const std::string folder = ChooseFolder("Load resources from...");
    if (folder.empty())
        return;
    const BatchOutcome out = ImportMarkedResources(form_.doc(), folder);
    form_.RefreshResourcePage();
    if (!out.failures.empty())
        form_.ShowMessage(out.Message(false));
}

}  // namespace pk
