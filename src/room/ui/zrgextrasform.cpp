#include "room/ui/zrgextrasform.h"

#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <optional>
#include <string>

#include "core/zrlog.h"
#include "platform/cp1252.h"
#include "room/zrroomhost.h"
#include "skin/ui/zrwidgetpalette.h"

namespace pk {

namespace {

const char* const kTextFilter = "Text Files (*.txt)";

}  // namespace

std::string EditTextToBytes(const QString& text) {
    return JoinLines(SplitLines(QStringToCp1252(text), LineBreaks::AnySeparates));
}

QString BytesToEditText(const std::string& bytes) {
    return Cp1252ToQString(JoinLines(SplitLines(bytes, LineBreaks::AnySeparates), "\n"));
}

Tzrextras::Tzrextras(QWidget* parent) : QDialog(parent) {
    FollowDialogPalette(*this);
    setWindowTitle("Extra Game Settings");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->setObjectName("PageControl1");
    layout->addWidget(pages_);

    auto makePage = [this](const char* tab, const char* box, const QString& title,
                           const QString& help) {
        auto* page = new QWidget(pages_);
        page->setObjectName(tab);
        auto* pageLayout = new QVBoxLayout(page);
        auto* edit = new QPlainTextEdit(page);
        edit->setObjectName(box);
        edit->setLineWrapMode(QPlainTextEdit::NoWrap);
        pageLayout->addWidget(edit);
        pageLayout->addWidget(new QLabel(help, page));
        pages_->addTab(page, title);
        AddTextMenu(edit);
        return edit;
    };
    motdbox_ = makePage("motdtab", "motdbox", "MOTD",
                        "For colors, use format: \\005<color number>Colored text\\005\n"
                        "Color numbers are from 10 to 25.  01=Bold, 02=Italic, 03=Underline");
    banbox_ = makePage("bantab", "banbox", "Ban list",
                       "Use format: username@ip (You can omit the @ip)   Wildcards allowed.\n"
                       "Prefix lines with + to allow connecting, - to deny, and @ to make "
                       "moderator");

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("Button1");
    layout->addWidget(ok, 0, Qt::AlignRight);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void Tzrextras::LoadFromSettings() {
    model_.Load();
    motdbox_->setPlainText(BytesToEditText(model_.motd));
    banbox_->setPlainText(BytesToEditText(model_.banList));
}

bool Tzrextras::FormClose() {
    model_.motd = EditTextToBytes(motdbox_->toPlainText());
    model_.banList = EditTextToBytes(banbox_->toPlainText());
    const std::string problem = model_.Problem();
    if (!problem.empty()) {
        Room().ShowMessage(problem);
        return false;
    }
    return model_.Close();
}

void Tzrextras::done(int result) {
    // OK, Esc and the window's close button all end here: each sends what was changed.
    bool close = true;
    LogAndGoOnWith(
        [] {
            std::string text = "Tzrextras.FormClose";
            if (const std::optional<std::string> message = ErrorMessage(std::current_exception()))
                text += " " + *message;
            return text;
        },
        [&] { close = FormClose(); });
    if (close)
        QDialog::done(result);
}

void Tzrextras::AddTextMenu(QPlainTextEdit* edit) {
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(edit, &QWidget::customContextMenuRequested, this, [this, edit](const QPoint& at) {
        LogAndGoOnWith(
            [] { return "Tzrextras text menu"; },
            [&] {
                const bool motd = edit == motdbox_;
                QMenu menu(edit);
                menu.setObjectName(motd ? "motdpopup" : "banpopup");
                menu.addAction("Load text...", this, [this, edit] { LoadTextInto(edit); })
                    ->setObjectName(motd ? "motdloadtext" : "banloadtext");
                menu.addAction("Save text...", this, [this, edit] { SaveTextFrom(edit); })
                    ->setObjectName(motd ? "motdsavetext" : "bansavetext");
                menu.exec(edit->mapToGlobal(at));
            });
    });
}

void Tzrextras::LoadTextInto(QPlainTextEdit* edit) {
    QFileDialog dialog(this, "Load text file...", QString(), kTextFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("txt");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    auto text = LoadTextFile(dialog.selectedFiles().first().toStdString());
    if (text)
        edit->setPlainText(BytesToEditText(*text));
}

void Tzrextras::SaveTextFrom(QPlainTextEdit* edit) {
    QFileDialog dialog(this, "Save text file...", QString(), kTextFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("txt");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString file = dialog.selectedFiles().first();
    if (!SaveTextFile(file.toStdString(), EditTextToBytes(edit->toPlainText())))
        Room().ShowMessage("Unable to save to '" + QStringToCp1252(file) + "'!");
}

void Tzrextras::ShowExtras(QWidget* parent) {
    Tzrextras dialog(parent);
    dialog.LoadFromSettings();
    dialog.exec();
}

}  // namespace pk
