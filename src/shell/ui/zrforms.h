#pragma once
// The shell's skinned pages besides the main window and the loading window: the login page and
// the settings pages, each registered under its skin name and placed into the main window (or
// the settings page) by its container element "con_" + that name. The login page's controls
// and the option pages' boxes write every change straight into the configuration model
// (Config, Settings), where it takes effect at once and is saved at exit. The main program
// creates them in its fixed order.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTextBrowser>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "shell/ui/zrthemepage.h"
#include "skin/ui/zrskinform.h"

namespace pk {

// A one-line edit whose Enter runs an action and goes no further.
class EnterLineEdit : public QLineEdit {
public:
    explicit EnterLineEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}
    std::function<void()> OnEnter;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The login page ("login").
class Tzrtitle : public TZRSkinForm {
public:
    explicit Tzrtitle(QWidget* parent = nullptr);
    ~Tzrtitle() override;
    // Shown by "con_login": the keyboard goes to the login edits (once the page is on the
    // screen, when the main window is not yet).
    void ContainerShown() override;

    QLineEdit* accountname() { return accountname_; }
    QLineEdit* accountpass() { return accountpass_; }
    QComboBox* serveraddress() { return serveraddress_; }
    QTextBrowser* motdpage() { return motdpage_; }

    // The server box's popup menu item "Clear server list".
    void ClearServerList();
    // Stops a load in progress and shows the message of the day again.
    void ReloadMotd();
    // The edits and the server list from the configuration model.
    void FillFromConfig();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FocusLoginEdits();
    void ServerEnter();
    void ApplyMotdColours();
    bool focusPending_ = false;
    bool filling_ = false;
    EnterLineEdit* accountname_ = nullptr;
    EnterLineEdit* accountpass_ = nullptr;
    QComboBox* serveraddress_ = nullptr;
    EnterLineEdit* serverEdit_ = nullptr;
    QTextBrowser* motdpage_ = nullptr;
};

// The login page, while it exists.
extern Tzrtitle* zrtitle;

// The name of the message-of-the-day file in the program folder.
inline constexpr const char* MotdFileName = "motd.html";

// The settings window that holds the option pages ("settings").
class Tzrsettings : public TZRSkinForm {
public:
    explicit Tzrsettings(QWidget* parent = nullptr) : TZRSkinForm("settings", parent) {}
};

// What the option pages share: their boxes in one column under the page's heading, the text
// colour from the parameter "textfg" of the page's container element (black without one), and
// the boxes filled from the options whenever the page shows.
class OptionPage : public TZRSkinForm {
public:
    OptionPage(const std::string& skinName, QWidget* parent);
    void ContainerShown() override;
    // The boxes from the options, without writing anything back.
    virtual void FillFromOptions() = 0;

protected:
    QCheckBox* AddCheck(const char* name, const QString& text, std::function<void(bool)> changed,
                        int indent = 0);
    QRadioButton* AddRadio(const char* name, const QString& text, std::function<void()> chosen,
                           int indent);
    QLineEdit* AddNumber(const char* name, const QString& text,
                         std::function<void(const std::string&)> changed);
    void SetChecked(QAbstractButton* box, bool on);
    void SetNumber(QLineEdit* edit, int32_t value);

    void showEvent(QShowEvent* event) override;

private:
    int nextTop_ = 64;
    std::vector<QWidget*> texts_;
};

// The game options page ("setgame").
class Tzrsgame : public OptionPage {
public:
    explicit Tzrsgame(QWidget* parent = nullptr);
    void FillFromOptions() override;

    QCheckBox* pieceshadowcb = nullptr;
    QRadioButton* ps25transparent = nullptr;
    QRadioButton* ps50transparent = nullptr;
    QRadioButton* ps75transparent = nullptr;
    QRadioButton* psoutline = nullptr;
    QCheckBox* gametimestamp = nullptr;
    QCheckBox* showincsb = nullptr;
    QCheckBox* animdropcb = nullptr;
    QCheckBox* usealphacb = nullptr;
    QCheckBox* resizablecb = nullptr;

private:
    void EnableStyles();
};

// The game server page ("setserver"): this client has no server of its own to set up.
class Tzrsserver : public OptionPage {
public:
    explicit Tzrsserver(QWidget* parent = nullptr);
    void FillFromOptions() override {}
};

// The miscellaneous options page ("setmisc").
class Tzrsmisc : public OptionPage {
public:
    explicit Tzrsmisc(QWidget* parent = nullptr);
    void FillFromOptions() override;

    QCheckBox* soundcb = nullptr;
    QCheckBox* taskbar = nullptr;
    QCheckBox* maxfullscreen = nullptr;
};

// The lobby options page ("setbrowser").
class Tzrsbrowser : public OptionPage {
public:
    explicit Tzrsbrowser(QWidget* parent = nullptr);
    void FillFromOptions() override;

    QCheckBox* findgamestimestamp = nullptr;
    QLineEdit* concurrentpingseb = nullptr;
    QLineEdit* pingtrieseb = nullptr;
    QCheckBox* showjoinsparts = nullptr;
    QCheckBox* minimizebrb = nullptr;
    QLineEdit* idlebrb = nullptr;
    QLineEdit* idleaway = nullptr;
    QLineEdit* idlesleeping = nullptr;
};

}  // namespace pk
