#include "editor/ui/zrform1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "editor/ui/zrdebug.h"
#include "editor/ui/zrskinp.h"

namespace pk {

TForm1::TForm1(std::filesystem::path programFolder, KledAudio audio, QWidget* parent)
    : QMainWindow(parent),
      doc_(std::move(programFolder), this),
      audio_(std::move(audio)),
      mpegPlayer_(audio_.mpeg),
      preview_(audio_.midi, &mpegPlayer_) {
    setWindowTitle(kEditorCaption);
    fileMenu_ = new ThemeFileMenu(*this);
    auto* splitter = new QSplitter(this);
    tree_ = new ResourceTreePanel(*this, splitter);
    pages_ = new PropertyPages(*this, splitter);
    splitter->addWidget(tree_->tree());
    splitter->addWidget(pages_->tabs());
    splitter->setSizes({220, 580});
    setCentralWidget(splitter);
    busy_ = new LoadingPanel(this);
    // The other windows in the order the editor makes them: TForm2 and TForm3
    // (with the command buttons), Tdebug, then the skin preview.
    commandsUi_ = new ResourceCommandsUi(this);
    debug_ = new Tdebug(this);
    BuildLeftColumn(splitter);
    batchMenu_ = new BatchMenu(*this);
    skinp_ = new Tskinp(doc_, this);
    skinp_->onSelectInTree = [this](TZRC* e) { tree_->SelectEntry(e); };
    skinp_->onElementChanged = [this](TZRC*) { RefreshResourcePage(); };
    resize(800, 600);
}

TForm1::~TForm1() {
    if (!closed_)
        doc_.Close();
}

void TForm1::BuildLeftColumn(QSplitter* splitter) {
    // The references panel and the preview button go above the tree, in the tree's place.
    auto* left = new QWidget(this);
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(0, 0, 0, 0);
    refs_ = new ReferencesPanel(*this, left);
    auto* preview = new QPushButton("Skin preview", left);
    preview->setObjectName("skinpreview");
    column->addWidget(refs_);
    column->addWidget(preview);
    splitter->replaceWidget(splitter->indexOf(maintree()), left);
    column->addWidget(maintree(), 1);
    connect(preview, &QPushButton::clicked, this, &TForm1::skinpreviewClick);
}

void TForm1::FormCreate(const std::vector<std::string>& args) {
    // Without a decoder only MP3 previews are missing; the editor works on.
    try {
        mpegPlayer_.LoadMpegLibrary();
    } catch (const TMPEGError&) {
    }
    doc_.Start(args);
    RefreshResourcePage();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Nothing thrown may reach the event loop; the theme stays when in doubt.
    try {
        if (!closed_ && !fileMenu_->MayDiscardChanges()) {
            event->ignore();
            return;
        }
    } catch (const std::exception& e) {
        ShowMessage(e.what());
        event->ignore();
        return;
    }
    try {
        pages_->ClearPictures();
    } catch (...) {
    }
    if (!closed_) {
        closed_ = true;
        doc_.Close();
        try {
            if (mpegPlayer_.Loaded())
                mpegPlayer_.UnloadMpegLibrary();
        } catch (const TMPEGError&) {
        }
    }
    event->accept();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    pages_->FormResize();
}

void TForm1::skinpreviewClick() {
    skinp_->show();
    skinp_->raise();
}

// ---- Host ------------------------------------------------------------------

void TForm1::ShowMessage(const std::string& text) {
    if (messageSink) {
        messageSink(text);
        return;
    }
    QMessageBox::information(this, QApplication::applicationName(), QString::fromStdString(text));
}

void TForm1::CaptionChanged(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
}

void TForm1::TreeChanged() {
    // The references combo and the skin preview list the tree's entries too; both are made
    // after the tree.
    if (refs_)
        refs_->FillCombo();
    if (skinp_)
        skinp_->DocumentChanged();
    tree_->TreeChanged();
}

void TForm1::RecentChanged() {
    fileMenu_->RecentChanged();
}

void TForm1::RefreshPage() {
    RefreshResourcePage();
}

void TForm1::ReleasePreviews() {
    preview_.Release();
}

KlbBusyPanel TForm1::BusyPanel() {
    return busy_->Callbacks();
}

}  // namespace pk
