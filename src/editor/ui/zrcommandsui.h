// The resource commands' buttons on the main window: a tool bar above the
// tree and the load, save and mask buttons of each page, each connected to its
// handler here, and the dialogs the commands ask (file dialogs, `TForm2`,
// `TForm3`).
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "editor/zrcommands.h"

class QPushButton;

namespace pk {

class TForm1;
class TForm2;
class TForm3;

class ResourceCommandsUi : public QObject, public CommandHost {
    Q_OBJECT
public:
    // Adds the buttons to the window; owned by it.
    explicit ResourceCommandsUi(TForm1* form);
    ~ResourceCommandsUi() override;

    KledCommands& commands() { return *commands_; }
    TForm2* form2() const { return form2_; }
    TForm3* form3() const { return form3_; }
    // A button by its object name ("creategroup", "openresource0", ...).
    QPushButton* Button(const QString& name) const;

    // Test hooks in place of the modal dialogs, used when set.
    std::function<std::string(const FileDialogSpec&)> fileSink;
    std::function<int64_t(const DibBitmap&)> colourSink;
    std::function<TreeNode*()> groupSink;

    // CommandHost
    void ShowMessage(const std::string& text) override;
    std::string ChooseFile(const FileDialogSpec& spec) override;
    int64_t PickTransparentColor(const DibBitmap& image) override;
    TreeNode* SelectResourceGroup() override;
    void ResourcesChanged() override;

    // The buttons' handlers: the commands on the selection, the page in front.
    void creategroupclick();
    void newresourcebClick();
    void deleteresourcebClick();
    void copyresourcebClick();
    void moveresourceclick();
    void moveresourceupbClick();
    void moveresourcedownbClick();
    void openresourceclick();
    void saveresourceclick();
    void openmaskclick();
    void savemaskclick();
    void createmainbmpmaskClick();
    void createskinmaskClick();

private:
    int CurrentPage() const;
    void AddTreeButtons();
    void AddPageButtons(int page);
    QPushButton* MakeButton(QWidget* parent, const QString& text, const QString& name,
                            const QString& hint, void (ResourceCommandsUi::*handler)());

    TForm1* form_;
    std::unique_ptr<KledCommands> commands_;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
};

}  // namespace pk
