#include "editor/ui/zrform1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <map>
#include <system_error>

#include "editor/ui/zrcommandsui.h"
#include "editor/ui/zrdebug.h"
#include "editor/ui/zrmaincombo.h"
#include "platform/cp1252.h"

namespace pk {

namespace {

// Entry texts are Windows-1252; file names and messages naming them are the
// system's own (UTF-8).
QString Q(const std::string& s) {
    return Cp1252ToQString(s);
}
std::string B(const QString& s) {
    return QStringToCp1252(s);
}
QString P(const std::string& s) {
    return QString::fromStdString(s);
}

// The tree's pictures, drawn here: one colour per image number, a dark
// corner for the mark.
QIcon TreeIcon(int image, bool marked) {
    static std::map<std::pair<int, bool>, QIcon> cache;
    auto key = std::make_pair(image, marked);
    if (auto it = cache.find(key); it != cache.end())
        return it->second;
    static const std::map<int, QColor> colours = {
        {kImageGroup, QColor(230, 200, 80)},    {kImageGroupOpen, QColor(250, 220, 120)},
        {kImageMain, QColor(70, 130, 200)},     {kImageDetail, QColor(120, 90, 200)},
        {kImageMusic, QColor(200, 80, 120)},    {kImageSound, QColor(60, 170, 90)},
        {kImageSkin, QColor(220, 130, 50)},     {kImageRoot, QColor(120, 120, 120)},
        {kImageRootOpen, QColor(160, 160, 160)}};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    auto it = colours.find(image);
    p.fillRect(2, 2, 12, 12, it != colours.end() ? it->second : QColor(200, 200, 200));
    p.setPen(Qt::black);
    p.drawRect(2, 2, 11, 11);
    if (marked)
        p.fillRect(9, 9, 7, 7, QColor(200, 0, 0));
    p.end();
    return cache[key] = QIcon(pixmap);
}

// Label editing asks the window first: an editor only for the nodes it allows.
class TreeLabelDelegate : public QStyledItemDelegate {
public:
    TreeLabelDelegate(TForm1* form, QObject* parent) : QStyledItemDelegate(parent), form_(form) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QTreeWidgetItem* item = nullptr;
        const auto* node =
            reinterpret_cast<const TreeNode*>(index.data(Qt::UserRole).value<quintptr>());
        if (node)
            item = form_->ItemOf(node);
        if (!item || !form_->maintreeEditing(item))
            return nullptr;
        return QStyledItemDelegate::createEditor(parent, option, index);
    }

private:
    TForm1* form_;
};

}  // namespace

TForm1::TForm1(std::filesystem::path programFolder, KledAudio audio, QWidget* parent)
    : QMainWindow(parent),
      doc_(std::move(programFolder), this),
      audio_(std::move(audio)),
      mpegPlayer_(audio_.mpeg),
      preview_(audio_.midi, &mpegPlayer_) {
    setWindowTitle(kEditorCaption);
    BuildMenu();
    auto* splitter = new QSplitter(this);
    maintree_ = new QTreeWidget(splitter);
    maintree_->setObjectName("maintree");
    maintree_->setHeaderHidden(true);
    maintree_->setEditTriggers(QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::SelectedClicked);
    mainpagecontrol_ = new QTabWidget(splitter);
    mainpagecontrol_->setObjectName("mainpagecontrol");
    BuildPages();
    splitter->addWidget(maintree_);
    splitter->addWidget(mainpagecontrol_);
    splitter->setSizes({220, 580});
    setCentralWidget(splitter);

    busyPanel_ = new QFrame(this);
    busyPanel_->setFrameShape(QFrame::Panel);
    busyPanel_->setAutoFillBackground(true);
    auto* busyLayout = new QVBoxLayout(busyPanel_);
    busyText_ = new QLabel(busyPanel_);
    busyBar_ = new QProgressBar(busyPanel_);
    busyBar_->setRange(0, 100);
    busyLayout->addWidget(busyText_);
    busyLayout->addWidget(busyBar_);
    busyPanel_->resize(300, 70);
    busyPanel_->hide();

    maintree_->setItemDelegate(new TreeLabelDelegate(this, maintree_));
    connect(maintree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        maintreeChanging(item);
        maintreeChange(item);
    });
    connect(maintree_, &QTreeWidget::itemPressed, this, [this](QTreeWidgetItem* item) {
        maintreeMouseDown(item, QApplication::keyboardModifiers());
    });
    connect(maintree_, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item) { maintreeEdited(item); });
    auto expand = [this](QTreeWidgetItem* item, bool on) {
        if (TreeNode* node = NodeOf(item)) {
            node->expanded = on;
            maintreeGetImageIndex(item);
        }
    };
    connect(maintree_, &QTreeWidget::itemExpanded, this,
            [expand](QTreeWidgetItem* item) { expand(item, true); });
    connect(maintree_, &QTreeWidget::itemCollapsed, this,
            [expand](QTreeWidgetItem* item) { expand(item, false); });
    connect(mainpagecontrol_, &QTabWidget::currentChanged, this,
            [this](int index) { mainpagecontrolChange(index); });
    // The other windows in the order the editor makes them: TForm2 and TForm3
    // (with the command buttons), Tdebug, then the skin preview.
    commandsUi_ = new ResourceCommandsUi(this);
    debug_ = new Tdebug(this);
    BuildTools();
    resize(800, 600);
}

TForm1::~TForm1() {
    if (!closed_)
        doc_.Close();
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

void TForm1::BuildMenu() {
    fileMenu_ = menuBar()->addMenu("&File");
    connect(fileMenu_->addAction("&New Theme"), &QAction::triggered, this,
            [this] { newthemeClick(); });
    connect(fileMenu_->addAction("&Open Theme..."), &QAction::triggered, this,
            [this] { openthemeClick(); });
    connect(fileMenu_->addAction("&Save Theme"), &QAction::triggered, this,
            [this] { savethemeClick(); });
    connect(fileMenu_->addAction("Save Theme &As..."), &QAction::triggered, this,
            [this] { savethemeasClick(); });
    fileMenu_->addSeparator();
    connect(fileMenu_->addAction("Create theme from old format..."), &QAction::triggered, this,
            [this] { Createthemefromoldbitmap1Click(); });
    recentSeparator_ = fileMenu_->addSeparator();
    noRecent_ = fileMenu_->addAction("[No previously opened themes]");
    noRecent_->setEnabled(false);
    fileMenu_->addSeparator();
    connect(fileMenu_->addAction("E&xit"), &QAction::triggered, this, &TForm1::Exit1Click);
}

void TForm1::RecentChanged() {
    for (QAction* a : recentActions_) {
        fileMenu_->removeAction(a);
        a->deleteLater();
    }
    recentActions_.clear();
    for (const std::string& file : doc_.recent()) {
        auto* a = new QAction(P(file), fileMenu_);
        fileMenu_->insertAction(noRecent_, a);
        connect(a, &QAction::triggered, this, [this, file] {
            // Deferred: the action goes away when the history changes.
            QTimer::singleShot(0, this, [this, file] { OpenRecentFile(file); });
        });
        recentActions_.push_back(a);
    }
    noRecent_->setVisible(doc_.recent().empty());
}

std::string TForm1::ChooseFile(bool save) {
    if (fileDialogSink)
        return fileDialogSink(save);
    const QString filter = "Pelkorin library files (*.klb)";
    QString file;
    if (save) {
        QFileDialog dialog(this, "Save to Library...", QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The window asks about replacing a file itself, once the file is known to be allowed.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setDefaultSuffix("klb");
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            file = dialog.selectedFiles().front();
    } else {
        file = QFileDialog::getOpenFileName(this, "Open Library...", QString(), filter);
    }
    return file.toStdString();
}

QMessageBox::StandardButton TForm1::Ask(const std::string& text,
                                        QMessageBox::StandardButtons buttons) {
    if (questionSink)
        return questionSink(text, buttons);
    return QMessageBox::question(this, QApplication::applicationName(), P(text), buttons);
}

// On purpose New, Open, a recent file, the old pack import and Exit ask first
// while the theme has unsaved changes (save them, let them go, or stay):
// dropping the theme without a word lost the author's work.
bool TForm1::MayDiscardChanges() {
    if (!doc_.HasChanges())
        return true;
    switch (
        Ask(kUnsavedChangesText, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel)) {
        case QMessageBox::Save:
            return SaveCurrent();
        case QMessageBox::Discard:
            return true;
        default:
            return false;
    }
}

bool TForm1::SaveCurrent() {
    switch (doc_.SaveTheme()) {
        case KledDoc::SaveOutcome::Saved:
            return true;
        case KledDoc::SaveOutcome::NeedsName:
            return SaveUnderNewName();
        case KledDoc::SaveOutcome::PartlyRead:
            if (Ask(doc_.PartlyReadText() + "  Save the theme under another name?",
                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
                return SaveUnderNewName();
            return false;
        case KledDoc::SaveOutcome::Failed:
            break;
    }
    return false;
}

bool TForm1::SaveUnderNewName() {
    std::string file = ChooseFile(true);
    if (file.empty())
        return false;
    // A file that may not be written is refused (with its message) before any question of
    // replacing it.
    std::error_code ec;
    if (!doc_.SaveAsRefuses(file) && std::filesystem::exists(file, ec) && !AskReplace(file))
        return false;
    return doc_.SaveThemeAs(file);
}

void TForm1::newthemeClick() {
    if (MayDiscardChanges())
        doc_.NewTheme();
}

void TForm1::openthemeClick() {
    if (!MayDiscardChanges())
        return;
    std::string file = ChooseFile(false);
    if (!file.empty())
        doc_.OpenChosen(file);
}

void TForm1::OpenRecentFile(const std::string& file) {
    // A file that is gone only leaves the history: nothing to ask about.
    std::error_code ec;
    if (std::filesystem::is_regular_file(file, ec) && !MayDiscardChanges())
        return;
    doc_.OpenRecent(file);
}

void TForm1::savethemeClick() {
    SaveCurrent();
}

bool TForm1::AskReplace(const std::string& file) {
    if (replaceSink)
        return replaceSink(file);
    return QMessageBox::question(this, QApplication::applicationName(),
                                 P("'" + file + "' already exists.  Do you want to replace it?")) ==
           QMessageBox::Yes;
}

void TForm1::savethemeasClick() {
    SaveUnderNewName();
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Nothing thrown may reach the event loop; the theme stays when in doubt.
    try {
        if (!closed_ && !MayDiscardChanges()) {
            event->ignore();
            return;
        }
    } catch (const std::exception& e) {
        ShowMessage(e.what());
        event->ignore();
        return;
    }
    try {
        mainPicture_->clear();
        maskPicture_->clear();
        sbPicture_->clear();
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

// ---- Host ------------------------------------------------------------------

void TForm1::ShowMessage(const std::string& text) {
    if (messageSink) {
        messageSink(text);
        return;
    }
    QMessageBox::information(this, QApplication::applicationName(), P(text));
}

void TForm1::CaptionChanged(const std::string& caption) {
    setWindowTitle(P(caption));
}

void TForm1::RefreshPage() {
    RefreshResourcePage();
}

void TForm1::ReleasePreviews() {
    preview_.Release();
}

KlbBusyPanel TForm1::BusyPanel() {
    KlbBusyPanel panel;
    panel.ShowLoadingPanel = [this](bool show, const std::string& text) {
        ShowLoadingPanel(show, text);
    };
    panel.SetLoadingProgress = [this](int percent) { SetLoadingProgress(percent); };
    return panel;
}

void TForm1::ShowLoadingPanel(bool show, const std::string& text) {
    if (!show) {
        busyPanel_->hide();
        setEnabled(true);
        return;
    }
    setEnabled(false);
    busyText_->setText(P(text));
    busyBar_->setValue(0);
    busyPanel_->move((width() - busyPanel_->width()) / 2, (height() - busyPanel_->height()) / 2);
    busyPanel_->raise();
    busyPanel_->show();
    busyPanel_->repaint();
}

void TForm1::SetLoadingProgress(int percent) {
    busyBar_->setValue(percent);
    busyBar_->repaint();
}

// ---- Tree --------------------------------------------------------------------

QTreeWidgetItem* TForm1::ItemOf(const TreeNode* node) const {
    for (size_t i = 0; i < shownNodes_.size(); ++i)
        if (shownNodes_[i] == node) {
            int index = 0;
            QTreeWidgetItem* found = nullptr;
            std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
                if (index++ == static_cast<int>(i))
                    found = item;
                for (int c = 0; c < item->childCount() && !found; ++c) walk(item->child(c));
            };
            for (int r = 0; r < maintree_->topLevelItemCount() && !found; ++r)
                walk(maintree_->topLevelItem(r));
            return found;
        }
    return nullptr;
}

void TForm1::TreeChanged() {
    ToolsDocumentChanged();
    // Each node with its parent, not the order alone: a leaf moved from the end of a group into
    // the group's parent keeps its place in the order but changes its parent.
    std::vector<std::pair<const TreeNode*, const TreeNode*>> wanted, shown;
    doc_.tree().ForEach([&](TreeNode* n) { wanted.emplace_back(n, n->parent); });
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
        shown.emplace_back(NodeOf(item), NodeOf(item->parent()));
        for (int c = 0; c < item->childCount(); ++c) walk(item->child(c));
    };
    for (int r = 0; r < maintree_->topLevelItemCount(); ++r) walk(maintree_->topLevelItem(r));
    if (wanted == shown)
        SyncTreeItems();
    else
        RebuildTree();
}

void TForm1::RebuildTree() {
    const bool wasFilling = filling_;
    filling_ = true;
    maintree_->blockSignals(true);
    maintree_->clear();
    shownNodes_.clear();
    std::function<void(TreeNode*, QTreeWidgetItem*)> add = [&](TreeNode* node,
                                                               QTreeWidgetItem* parent) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(maintree_);
        item->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
        shownNodes_.push_back(node);
        for (auto& child : node->children) add(child.get(), item);
    };
    for (auto& root : doc_.tree().Roots()) add(root.get(), nullptr);
    maintree_->blockSignals(false);
    SyncTreeItems();
    filling_ = wasFilling;
}

void TForm1::SyncTreeItems() {
    maintree_->blockSignals(true);
    std::function<void(QTreeWidgetItem*)> sync = [&](QTreeWidgetItem* item) {
        TreeNode* node = NodeOf(item);
        item->setText(0, Q(node->label));
        // Every label may start an edit; maintreeEditing decides each time.
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        item->setChildIndicatorPolicy(node->hasChildren ? QTreeWidgetItem::ShowIndicator
                                                        : QTreeWidgetItem::DontShowIndicator);
        item->setExpanded(node->expanded);
        maintreeGetImageIndex(item);
        if (node == doc_.tree().selected && maintree_->currentItem() != item)
            maintree_->setCurrentItem(item);
        for (int c = 0; c < item->childCount(); ++c) sync(item->child(c));
    };
    for (int r = 0; r < maintree_->topLevelItemCount(); ++r) sync(maintree_->topLevelItem(r));
    if (!doc_.tree().selected)
        maintree_->setCurrentItem(nullptr);
    maintree_->blockSignals(false);
}

TreeNode* TForm1::NodeOf(QTreeWidgetItem* item) const {
    return item ? reinterpret_cast<TreeNode*>(item->data(0, Qt::UserRole).value<quintptr>())
                : nullptr;
}

void TForm1::maintreeGetImageIndex(QTreeWidgetItem* item) {
    TreeNode* node = NodeOf(item);
    if (!node)
        return;
    const QSignalBlocker block(maintree_);
    item->setIcon(0, TreeIcon(node->ShownImage(), node->Marked()));
}

void TForm1::maintreeChanging(QTreeWidgetItem* item) {
    TreeNode* node = NodeOf(item);
    if (node == doc_.tree().selected)
        return;
    const Qt::KeyboardModifiers mods = QApplication::keyboardModifiers();
    doc_.SelectionChanging(node, mods & Qt::ShiftModifier, mods & Qt::ControlModifier);
    doc_.tree().selected = node;
}

void TForm1::maintreeChange(QTreeWidgetItem* item) {
    SyncTreeItems();
    RefreshResourcePage();
    // The page of the entry's kind; groups and roots leave the page alone.
    TreeNode* node = NodeOf(item);
    if (node && node->entry)
        if (auto page = PageOfKind(node->entry->kind()))
            mainpagecontrol_->setCurrentIndex(*page);
    FormResize();
}

void TForm1::maintreeMouseDown(QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers) {
    TreeNode* node = NodeOf(item);
    const bool shift = modifiers & Qt::ShiftModifier, ctrl = modifiers & Qt::ControlModifier;
    if (!node || (!shift && !ctrl))
        return;
    doc_.MarkClicked(node, shift, ctrl);
    SyncTreeItems();
}

bool TForm1::maintreeEditing(QTreeWidgetItem* item) {
    return doc_.CanEditLabel(NodeOf(item));
}

void TForm1::maintreeEdited(QTreeWidgetItem* item) {
    TreeNode* node = NodeOf(item);
    if (!node || B(item->text(0)) == node->label)
        return;
    // A refused label comes back through the tree's refresh.
    doc_.RenameNode(node, B(item->text(0)));
    SyncTreeItems();
    FillMainBitmapCombo(refsCombo_, doc_, false);
    RefreshResourcePage();
}

}  // namespace pk
