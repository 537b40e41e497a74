#include "editor/ui/zrthemefilemenu.h"

#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <system_error>

#include "editor/ui/zrform1.h"
#include "editor/zrpack.h"
#include "gfx/qtsurface.h"

namespace pk {

ThemeFileMenu::ThemeFileMenu(TForm1& form) : QObject(&form), form_(form), doc_(form.doc()) {
    setObjectName("themefilemenu");
    menu_ = form.menuBar()->addMenu("&File");
    connect(menu_->addAction("&New Theme"), &QAction::triggered, this,
            &ThemeFileMenu::newthemeClick);
    connect(menu_->addAction("&Open Theme..."), &QAction::triggered, this,
            &ThemeFileMenu::openthemeClick);
    connect(menu_->addAction("&Save Theme"), &QAction::triggered, this,
            &ThemeFileMenu::savethemeClick);
    connect(menu_->addAction("Save Theme &As..."), &QAction::triggered, this,
            &ThemeFileMenu::savethemeasClick);
    menu_->addSeparator();
    connect(menu_->addAction("Create theme from old format..."), &QAction::triggered, this,
            &ThemeFileMenu::Createthemefromoldbitmap1Click);
    menu_->addSeparator();
    noRecent_ = menu_->addAction("[No previously opened themes]");
    noRecent_->setEnabled(false);
    menu_->addSeparator();
    connect(menu_->addAction("E&xit"), &QAction::triggered, this, &ThemeFileMenu::Exit1Click);
}

void ThemeFileMenu::RecentChanged() {
    for (QAction* a : recentActions_) {
        menu_->removeAction(a);
        a->deleteLater();
    }
    recentActions_.clear();
    for (const std::string& file : doc_.recent()) {
        auto* a = new QAction(QString::fromStdString(file), menu_);
        menu_->insertAction(noRecent_, a);
        connect(a, &QAction::triggered, this, [this, file] {
            // Deferred: the action goes away when the history changes.
            QTimer::singleShot(0, this, [this, file] { OpenRecentFile(file); });
        });
        recentActions_.push_back(a);
    }
    noRecent_->setVisible(doc_.recent().empty());
}

std::string ThemeFileMenu::ChooseFile(bool save) {
    if (form_.fileDialogSink)
        return form_.fileDialogSink(save);
    const QString filter = "Pelkorin library files (*.klb)";
    QString file;
    if (save) {
        QFileDialog dialog(&form_, "Save to Library...", QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The window asks about replacing a file itself, once the file is known to be allowed.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setDefaultSuffix("klb");
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            file = dialog.selectedFiles().front();
    } else {
        file = QFileDialog::getOpenFileName(&form_, "Open Library...", QString(), filter);
    }
    return file.toStdString();
}

QMessageBox::StandardButton ThemeFileMenu::Ask(const std::string& text,
                                               QMessageBox::StandardButtons buttons) {
    if (form_.questionSink)
        return form_.questionSink(text, buttons);
    return QMessageBox::question(&form_, QApplication::applicationName(),
                                 QString::fromStdString(text), buttons);
}

// On purpose New, Open, a recent file, the old pack import and Exit ask first
// while the theme has unsaved changes (save them, let them go, or stay):
// dropping the theme without a word lost the author's work.
bool ThemeFileMenu::MayDiscardChanges() {
    if (!doc_.HasChanges())
        return true;
    switch (Ask(TForm1::kUnsavedChangesText,
                QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel)) {
        case QMessageBox::Save:
            return SaveCurrent();
        case QMessageBox::Discard:
            return true;
        default:
            return false;
    }
}

bool ThemeFileMenu::SaveCurrent() {
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

bool ThemeFileMenu::SaveUnderNewName() {
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

bool ThemeFileMenu::AskReplace(const std::string& file) {
    if (form_.replaceSink)
        return form_.replaceSink(file);
    return QMessageBox::question(
               &form_, QApplication::applicationName(),
               QString::fromStdString("'" + file +
                                      "' already exists.  Do you want to replace it?")) ==
           QMessageBox::Yes;
}

void ThemeFileMenu::newthemeClick() {
    if (MayDiscardChanges())
        doc_.NewTheme();
}

void ThemeFileMenu::openthemeClick() {
    if (!MayDiscardChanges())
        return;
    std::string file = ChooseFile(false);
    if (!file.empty())
        doc_.OpenChosen(file);
}

void ThemeFileMenu::OpenRecentFile(const std::string& file) {
    // A file that is gone only leaves the history: nothing to ask about.
    std::error_code ec;
    if (std::filesystem::is_regular_file(file, ec) && !MayDiscardChanges())
        return;
    doc_.OpenRecent(file);
}

void ThemeFileMenu::savethemeClick() {
    SaveCurrent();
}

void ThemeFileMenu::savethemeasClick() {
    SaveUnderNewName();
}

void ThemeFileMenu::Exit1Click() {
    form_.close();
}

std::string ThemeFileMenu::ChooseOldPack() {
    if (form_.folderDialogSink)
        return form_.folderDialogSink("Load Pelkorin 1.13 Theme...");
    QFileDialog dialog(&form_, "Load Pelkorin 1.13 Theme...", QString(),
                       "Pelkorin 1.13 theme files (*.kpk)");
    dialog.setDefaultSuffix("kpk");
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        return dialog.selectedFiles().front().toStdString();
    return {};
}

void ThemeFileMenu::Createthemefromoldbitmap1Click() {
    // The current theme goes first; unsaved changes are asked about.
    if (!MayDiscardChanges())
        return;
    doc_.NewTheme();
    const std::string file = ChooseOldPack();
    if (file.empty())
        return;
    QtTextPainter text;
    TZRC* main = ImportOldThemePack(form_.commands(), file, &text);
    if (!main)
        return;
    form_.mainpagecontrol()->setCurrentIndex(kPageMain);
    form_.TreeChanged();
    form_.RefreshResourcePage();
    // The theme's name is the author's to give.
    if (QTreeWidgetItem* item = form_.ItemOf(main->node))
        form_.maintree()->editItem(item);
}

}  // namespace pk
