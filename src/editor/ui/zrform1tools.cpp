// The main window's tools: the references panel above the tree, the skin
// preview, the old pack import and the "Batch" menu's export and import.
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "editor/ui/zrform1.h"
#include "editor/ui/zrmaincombo.h"
#include "editor/ui/zrskinp.h"
#include "editor/zrexport.h"
#include "editor/zrpack.h"
#include "gfx/qtsurface.h"
#include "platform/cp1252.h"

namespace pk {

void TForm1::BuildTools() {
    // The references panel goes above the tree, in the tree's place.
    auto* splitter = qobject_cast<QSplitter*>(maintree_->parentWidget());
    auto* left = new QWidget(this);
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(0, 0, 0, 0);
    // Laid out by reftoppanelResize.
    auto* panel = new QWidget(left);
    panel->setObjectName("reftoppanel");
    refsLabel_ = new QLabel("Show references from:", panel);
    refsCombo_ = new QComboBox(panel);
    refsCombo_->setObjectName("refscombo");
    auto* update = new QPushButton("Update", panel);
    update->setObjectName("updaterefs");
    updaterefs_ = update;
    panel->setFixedHeight(24 + refsCombo_->sizeHint().height());
    reftoppanel_ = panel;
    panel->installEventFilter(this);
    auto* preview = new QPushButton("Skin preview", panel);
    preview->setObjectName("skinpreview");
    column->addWidget(panel);
    column->addWidget(preview);
    if (splitter) {
        const int at = splitter->indexOf(maintree_);
        splitter->replaceWidget(at, left);
    }
    column->addWidget(maintree_, 1);
    connect(update, &QPushButton::clicked, this, &TForm1::updaterefsClick);
    connect(preview, &QPushButton::clicked, this, &TForm1::skinpreviewClick);

    QMenu* batch = menuBar()->addMenu("Batch");
    connect(batch->addAction("Export selected..."), &QAction::triggered, this,
            &TForm1::Exportselected1Click);
    connect(batch->addAction("Import selected..."), &QAction::triggered, this,
            &TForm1::Importselected1Click);

    skinp_ = new Tskinp(doc_, this);
    skinp_->onSelectInTree = [this](TZRC* e) { SelectEntryInTree(e); };
    skinp_->onElementChanged = [this](TZRC*) { RefreshResourcePage(); };
}

void TForm1::ToolsDocumentChanged() {
    // The edited theme's main bitmaps; the one chosen stays chosen.
    if (refsCombo_)
        FillMainBitmapCombo(refsCombo_, doc_, false);
    if (skinp_)
        skinp_->DocumentChanged();
}

void TForm1::SelectEntryInTree(TZRC* e) {
    if (!e || !e->node)
        return;
    for (TreeNode* p = e->node->parent; p; p = p->parent) p->expanded = true;
    doc_.Select(e->node);
    if (auto page = PageOfKind(e->kind()))
        mainpagecontrol_->setCurrentIndex(*page);
    RefreshResourcePage();
}

std::string TForm1::ChooseFolder(const std::string& title, bool save) {
    if (folderDialogSink)
        return folderDialogSink(title);
    (void)save;
    return QFileDialog::getExistingDirectory(this, QString::fromStdString(title)).toStdString();
}

void TForm1::skinpreviewClick() {
    skinp_->show();
    skinp_->raise();
}

void TForm1::updaterefsClick() {
    TZRC* main = ChosenMainBitmap(refsCombo_);
    if (!main)
        return;
    UpdateReferences(doc_, main);
    RefreshResourcePage();
}

void TForm1::Createthemefromoldbitmap1Click() {
    // The current theme goes first; unsaved changes are asked about.
    if (!MayDiscardChanges())
        return;
    doc_.NewTheme();
    std::string file;
    if (folderDialogSink) {
        file = folderDialogSink("Load Pelkorin 1.13 Theme...");
    } else {
        QFileDialog dialog(this, "Load Pelkorin 1.13 Theme...", QString(),
                           "Pelkorin 1.13 theme files (*.kpk)");
        dialog.setDefaultSuffix("kpk");
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            file = dialog.selectedFiles().front().toStdString();
    }
    if (file.empty())
        return;
    QtTextPainter text;
    TZRC* main = ImportOldThemePack(commands(), file, &text);
    if (!main)
        return;
    mainpagecontrol_->setCurrentIndex(kPageMain);
    TreeChanged();
    RefreshResourcePage();
    // The theme's name is the author's to give.
    if (QTreeWidgetItem* item = ItemOf(main->node))
        maintree_->editItem(item);
}

void TForm1::Exportselected1Click() {
    const std::string folder = ChooseFolder("Save resources to...", true);
    if (folder.empty())
        return;
    const BatchOutcome out = ExportMarkedResources(doc_, folder);
    if (!out.failures.empty())
        ShowMessage(out.Message(true));
}

void TForm1::Importselected1Click() {
    const std::string folder = ChooseFolder("Load resources from...", false);
    if (folder.empty())
        return;
    const BatchOutcome out = ImportMarkedResources(doc_, folder);
    RefreshResourcePage();
    if (!out.failures.empty())
        ShowMessage(out.Message(false));
}

}  // namespace pk
