#include "lobby/ui/zrquery.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "platform/cp1252.h"
#include "skin/ui/zrskinform.h"
#include "skin/ui/zrwidgetpalette.h"

namespace pk {

bool SbQueryResult = false;
Tsbquery* sbquery = nullptr;

namespace {

Tsbquery::Answerer answerer;

struct PanelSpec {
    const char* name;
    const char* prompt;
    std::vector<std::pair<const char*, const char*>> edits;  // name, label
};

const PanelSpec kPanels[Tsbquery::PanelCount] = {
    {"verifypanel",
     "Verify your account!\n\nA verification number was mailed to the e-mail address of your "
     "account.  Please type it below.",
     {{"verifynumber", "Verification number:"}}},
    {"getpasspanel",
     "Forgot Your Password?\n\nType the birth date you gave when you signed up, and your "
     "password will be mailed to you.",
     {{"dobmonth", "Month:"}, {"dobday", "Day:"}, {"dobyear", "Year:"}}},
    {"joinpasspanel", "Enter key:", {{"joinpasswordeb", ""}}},
    {"newkeypanel", "Enter new room key:", {{"newkeyedit", ""}}},
    {"topicpanel", "Enter new topic:", {{"topiceb", ""}}},
    {"newgameset", "Enter name for game set:", {{"newset", ""}}},
    {"newroompanel", "New room name:", {{"newroomeb", ""}}},
    {"kbpanel", "Enter message:", {{"kbmessage", ""}}},
};

}  // namespace

Tsbquery::Tsbquery(QWidget* parent) : QDialog(parent) {
    FollowDialogPalette(*this);
    sbquery = this;
    setObjectName(QStringLiteral("sbquery"));
    setWindowTitle(QStringLiteral("Info"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    panels_ = new QStackedWidget(this);
    layout->addWidget(panels_);
    for (std::size_t index = 0; index < oks_.size(); ++index) {
        const PanelSpec& spec = kPanels[index];
        auto* panel = new QWidget(panels_);
        panel->setObjectName(QString::fromLatin1(spec.name));
        auto* column = new QVBoxLayout(panel);
        auto* prompt = new QLabel(QString::fromLatin1(spec.prompt), panel);
        prompt->setWordWrap(true);
        column->addWidget(prompt);
        auto* form = new QFormLayout();
        for (const auto& [name, label] : spec.edits) {
            auto* edit = new QLineEdit(panel);
            edit->setObjectName(QString::fromLatin1(name));
            form->addRow(QString::fromLatin1(label), edit);
        }
        column->addLayout(form);
        auto* buttons = new QHBoxLayout();
        buttons->addStretch(1);
        auto* ok = new QPushButton(QStringLiteral("OK"), panel);
        ok->setObjectName(QStringLiteral("ok"));
        ok->setAutoDefault(true);
        oks_[index] = ok;
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), panel);
        cancel->setObjectName(QStringLiteral("cancel"));
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        column->addLayout(buttons);
        connect(ok, &QPushButton::clicked, this, [this] { okClick(); });
        connect(cancel, &QPushButton::clicked, this, [this] { cancelClick(); });
        panels_->addWidget(panel);
    }
    SetPanel(verifypanel);
}

Tsbquery::~Tsbquery() {
    if (sbquery == this) {
        sbquery = nullptr;
    }
}

void Tsbquery::SetAnswerer(Answerer a) {
    answerer = std::move(a);
}

bool Tsbquery::Ask(Panel panel) {
    if (panel < 0 || panel >= PanelCount) {
        return false;
    }
    SetPanel(panel);
    SbQueryResult = false;
    if (answerer) {
        SbQueryResult = answerer(*this, panel);
        return SbQueryResult;
    }
    exec();
    return SbQueryResult;
}

void Tsbquery::SetPanel(Panel panel) {
    if (panel >= 0 && panel < PanelCount) {
        panels_->setCurrentIndex(panel);
        // A dialog has one default button, and Enter presses it only while it is visible:
        // the OK of the panel in front takes that part, or Enter would confirm nothing.
        oks_[static_cast<std::size_t>(panel)]->setDefault(true);
    }
}

Tsbquery::Panel Tsbquery::Shown() const {
    return static_cast<Panel>(panels_->currentIndex());
}

QLineEdit* Tsbquery::Edit(const char* name) const {
    return findChild<QLineEdit*>(QString::fromLatin1(name));
}

std::string Tsbquery::Text(const char* name) const {
    const QLineEdit* edit = Edit(name);
    return edit ? QStringToCp1252(edit->text()) : std::string();
}

void Tsbquery::SetText(const char* name, const std::string& text) {
    if (QLineEdit* edit = Edit(name)) {
        edit->setText(Cp1252ToQString(text));
    }
}

void Tsbquery::okClick() {
    SbQueryResult = true;
    done(QDialog::Accepted);
}

void Tsbquery::cancelClick() {
    SbQueryResult = false;
    done(QDialog::Rejected);
}

void Tsbquery::showEvent(QShowEvent* event) {
    // Closing any way other than OK counts as cancelled.
    SbQueryResult = false;
    QDialog::showEvent(event);
}

}  // namespace pk
