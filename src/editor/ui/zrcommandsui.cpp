#include "editor/ui/zrcommandsui.h"

#include <QBoxLayout>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <algorithm>

#include "editor/ui/zrform1.h"
#include "editor/ui/zrpickdlgs.h"
#include "editor/zrpages.h"

namespace pk {

namespace {

// "Text (*.x)|*.x|..." to Qt's "Text (*.x);;...".
QString QtFilter(const std::string& filter) {
    QStringList parts = QString::fromStdString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) out << parts[i];
    return out.join(";;");
}

}  // namespace

ResourceCommandsUi::ResourceCommandsUi(TForm1* form)
    : QObject(form), form_(form), commands_(std::make_unique<KledCommands>(form->doc(), *this)) {
    setObjectName("resourcecommands");
    form2_ = new TForm2(form);
    form3_ = new TForm3(form);
    AddTreeButtons();
    for (int page = 0; page < kPageCount; ++page) AddPageButtons(page);
}

ResourceCommandsUi::~ResourceCommandsUi() = default;

QPushButton* ResourceCommandsUi::MakeButton(QWidget* parent, const QString& text,
                                            const QString& name, const QString& hint,
                                            void (ResourceCommandsUi::*handler)()) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    connect(button, &QPushButton::clicked, form_, [this, handler] {
        // Nothing thrown here may reach the event loop.
        try {
            (this->*handler)();
        } catch (const std::exception& e) {
            ShowMessage(e.what());
        }
    });
    return button;
}

QPushButton* ResourceCommandsUi::Button(const QString& name) const {
    return form_->findChild<QPushButton*>(name);
}

void ResourceCommandsUi::AddTreeButtons() {
    auto* bar = new QToolBar("Resources", form_);
    bar->setObjectName("resourcebar");
    bar->setMovable(false);
    bar->addWidget(MakeButton(bar, "Group", "creategroup", "New resource group",
                              &ResourceCommandsUi::creategroupclick));
    bar->addWidget(MakeButton(bar, "New", "newresourceb", "New resource",
                              &ResourceCommandsUi::newresourcebClick));
    bar->addWidget(MakeButton(bar, "Delete", "deleteresourceb", "Delete resource",
                              &ResourceCommandsUi::deleteresourcebClick));
    bar->addWidget(MakeButton(bar, "Copy", "copyresourceb", "Copy resource",
                              &ResourceCommandsUi::copyresourcebClick));
    bar->addWidget(MakeButton(bar, "Move", "moveresource", "Move resource",
                              &ResourceCommandsUi::moveresourceclick));
    bar->addWidget(MakeButton(bar, "Up", "moveresourceupb", "Move resource up",
                              &ResourceCommandsUi::moveresourceupbClick));
    bar->addWidget(MakeButton(bar, "Down", "moveresourcedownb", "Move resource down",
                              &ResourceCommandsUi::moveresourcedownbClick));
    form_->addToolBar(Qt::TopToolBarArea, bar);
}

void ResourceCommandsUi::AddPageButtons(int page) {
    QWidget* widget = form_->mainpagecontrol()->widget(page);
    auto* layout = widget ? qobject_cast<QBoxLayout*>(widget->layout()) : nullptr;
    if (!layout)
        return;
    // A row of their own below the page's buttons, so the page keeps its width.
    auto* row = new QHBoxLayout;
    row->addStretch();
    layout->insertLayout(std::min(2, layout->count()), row);
    const QString n = QString::number(page);
    const bool image = page == kPageMain || page == kPageDetail || page == kPageSkin;
    std::vector<QPushButton*> buttons;
    buttons.push_back(MakeButton(widget, "Load...", "openresource" + n,
                                 image ? "Load bitmap" : "Load from file",
                                 &ResourceCommandsUi::openresourceclick));
    buttons.push_back(MakeButton(widget, "Save...", "saveresource" + n,
                                 image ? "Save bitmap" : "Save to file",
                                 &ResourceCommandsUi::saveresourceclick));
    if (page == kPageMain || page == kPageSkin) {
        buttons.push_back(MakeButton(widget, "Load mask...", "openmask" + n, "Load mask bitmap",
                                     &ResourceCommandsUi::openmaskclick));
        buttons.push_back(MakeButton(widget, "Save mask...", "savemask" + n, "Save mask bitmap",
                                     &ResourceCommandsUi::savemaskclick));
        buttons.push_back(MakeButton(widget, "Mask from colour", "createmask" + n,
                                     "Creates a mask from image's transparent color.",
                                     page == kPageMain ? &ResourceCommandsUi::createmainbmpmaskClick
                                                       : &ResourceCommandsUi::createskinmaskClick));
    }
    for (QPushButton* b : buttons) row->insertWidget(row->count() - 1, b);
}

void ResourceCommandsUi::ShowMessage(const std::string& text) {
    form_->ShowMessage(text);
}

std::string ResourceCommandsUi::ChooseFile(const FileDialogSpec& spec) {
    if (fileSink)
        return fileSink(spec);
    QFileDialog dialog(form_, QString::fromStdString(spec.title), QString(), QtFilter(spec.filter));
    dialog.setAcceptMode(spec.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(spec.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QString::fromStdString(spec.defaultExt));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front().toStdString();
}

int64_t ResourceCommandsUi::PickTransparentColor(const DibBitmap& image) {
    return colourSink ? colourSink(image) : form3_->PickTransparentColor(image);
}

TreeNode* ResourceCommandsUi::SelectResourceGroup() {
    return groupSink ? groupSink() : form2_->SelectResourceGroup(form_->doc().tree());
}

void ResourceCommandsUi::ResourcesChanged() {
    form_->TreeChanged();
    form_->RefreshResourcePage();
}

// ---- The buttons' handlers -------------------------------------------------

int ResourceCommandsUi::CurrentPage() const {
    return form_->mainpagecontrol()->currentIndex();
}

void ResourceCommandsUi::creategroupclick() {
    commands_->CreateGroup();
}

void ResourceCommandsUi::newresourcebClick() {
    commands_->NewResource(CurrentPage());
}

void ResourceCommandsUi::deleteresourcebClick() {
    commands_->DeleteMarkedResources();
}

void ResourceCommandsUi::copyresourcebClick() {
    commands_->CopyMarkedResources();
}

void ResourceCommandsUi::moveresourceclick() {
    commands_->MoveMarkedResources();
}

void ResourceCommandsUi::moveresourceupbClick() {
    commands_->MoveResourceUp();
}

void ResourceCommandsUi::moveresourcedownbClick() {
    commands_->MoveResourceDown();
}

void ResourceCommandsUi::openresourceclick() {
    commands_->LoadResourceFromFile(CurrentPage(), ResourceMode::Image);
}

void ResourceCommandsUi::saveresourceclick() {
    commands_->SaveResourceToFile(CurrentPage(), ResourceMode::Image);
}

void ResourceCommandsUi::openmaskclick() {
    commands_->LoadResourceFromFile(CurrentPage(), ResourceMode::Mask);
}

void ResourceCommandsUi::savemaskclick() {
    commands_->SaveResourceToFile(CurrentPage(), ResourceMode::Mask);
}

void ResourceCommandsUi::createmainbmpmaskClick() {
    commands_->CreateMaskFromColor(kPageMain);
}

void ResourceCommandsUi::createskinmaskClick() {
    commands_->CreateMaskFromColor(kPageSkin);
}

}  // namespace pk
