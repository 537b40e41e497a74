#include <QButtonGroup>
#include <QShowEvent>

#include "core/zrlog.h"
#include "game/zrgame.h"
#include "platform/cp1252.h"
#include "shell/ui/zrforms.h"
#include "shell/zroptions.h"
#include "skin/ui/zrskinwidgets.h"
#include "skin/zrskin.h"
#include "skin/zrskintable.h"

namespace pk {

namespace {

// Places of the boxes under the page's heading.
constexpr int BoxLeft = 24;
constexpr int BoxWidth = 520;
constexpr int RowHeight = 30;
constexpr int IndentStep = 28;
constexpr int NumberWidth = 72;

}  // namespace

OptionPage::OptionPage(const std::string& skinName, QWidget* parent)
    : TZRSkinForm(skinName, parent) {}

QCheckBox* OptionPage::AddCheck(const char* name, const QString& text,
                                std::function<void(bool)> changed, int indent) {
    auto* box = new QCheckBox(text, this);
    box->setObjectName(name);
    box->setGeometry(BoxLeft + indent * IndentStep, nextTop_, BoxWidth, RowHeight - 4);
    nextTop_ += RowHeight;
    QObject::connect(box, &QCheckBox::toggled, [changed = std::move(changed)](bool on) {
        ReportErrors("option box", [&] { changed(on); });
    });
    texts_.push_back(box);
    return box;
}

QRadioButton* OptionPage::AddRadio(const char* name, const QString& text,
                                   std::function<void()> chosen, int indent) {
    auto* button = new QRadioButton(text, this);
    button->setObjectName(name);
    button->setGeometry(BoxLeft + indent * IndentStep, nextTop_, BoxWidth, RowHeight - 4);
    nextTop_ += RowHeight;
    QObject::connect(button, &QRadioButton::toggled, [chosen = std::move(chosen)](bool on) {
        if (on)
            ReportErrors("option button", [&] { chosen(); });
    });
    texts_.push_back(button);
    return button;
}

QLineEdit* OptionPage::AddNumber(const char* name, const QString& text,
                                 std::function<void(const std::string&)> changed) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setMaxLength(9);
    edit->setGeometry(BoxLeft, nextTop_, NumberWidth, RowHeight - 4);
    auto* label = new QLabel(text, this);
    label->setGeometry(BoxLeft + NumberWidth + 10, nextTop_, BoxWidth, RowHeight - 4);
    nextTop_ += RowHeight;
    // Every change of the text writes the option at once.
    QObject::connect(edit, &QLineEdit::textEdited,
                     [changed = std::move(changed)](const QString& value) {
                         ReportErrors("option number", [&] { changed(QStringToCp1252(value)); });
                     });
    texts_.push_back(label);
    return edit;
}

void OptionPage::SetChecked(QAbstractButton* box, bool on) {
    const QSignalBlocker quiet(box);
    box->setChecked(on);
}

void OptionPage::SetNumber(QLineEdit* edit, int32_t value) {
    const QSignalBlocker quiet(edit);
    edit->setText(QString::number(value));
}

void OptionPage::ContainerShown() {
    ApplyTextColour(texts_);
    FillFromOptions();
}

void OptionPage::showEvent(QShowEvent* event) {
    TZRSkinForm::showEvent(event);
    ReportErrors("option page shown", [this] {
        ApplyTextColour(texts_);
        FillFromOptions();
    });
}

// ---- Game options

Tzrsgame::Tzrsgame(QWidget* parent) : OptionPage("setgame", parent) {
    SetNeedPaint(true);
    tclientoptions& o = Settings.options;
    pieceshadowcb =
        AddCheck("pieceshadowcb", "Show where the falling piece will land", [this](bool on) {
            Settings.options.showshadow = on ? 1 : 0;
            EnableStyles();
        });
    auto style = [](int32_t value) { return [value] { Settings.options.shadowoption = value; }; };
    ps25transparent = AddRadio("ps25transparent", "25% transparent", style(1), 1);
    ps50transparent = AddRadio("ps50transparent", "50% transparent", style(2), 1);
    ps75transparent = AddRadio("ps75transparent", "75% transparent", style(3), 1);
    psoutline = AddRadio("psoutline", "Outline only", style(4), 1);
    auto* styles = new QButtonGroup(this);
    for (QRadioButton* b : {ps25transparent, ps50transparent, ps75transparent, psoutline})
        styles->addButton(b);
    gametimestamp = AddCheck("gametimestamp", "Time stamps on game room chat",
                             [](bool on) { Settings.options.chatts = on ? 1 : 0; });
    showincsb = AddCheck("showincsb", "Show incoming special blocks",
                         [](bool on) { Settings.options.showincsb = on ? 1 : 0; });
    animdropcb = AddCheck("animdropcb", "Pieces fall smoothly",
                          [](bool on) { Settings.options.animdrop = on ? 1 : 0; });
    usealphacb = AddCheck("usealphacb", "Blend blocks with their transparency",
                          [](bool on) { Settings.options.usealpha = on ? 1 : 0; });
    resizablecb = AddCheck("resizablecb", "Game graphics grow with the window", [](bool on) {
        Settings.options.resizefields = on ? 1 : 0;
        if (TZRSkinForm* game = SkinFormNamed("game"))
            game->RelayoutSkin();
    });
    (void)o;
    FillFromOptions();
}

void Tzrsgame::EnableStyles() {
    const bool on = pieceshadowcb->isChecked();
    for (QRadioButton* b : {ps25transparent, ps50transparent, ps75transparent, psoutline})
        b->setEnabled(on);
}

void Tzrsgame::FillFromOptions() {
    const tclientoptions& o = Settings.options;
    SetChecked(pieceshadowcb, o.showshadow != 0);
    // A value without a button of its own (0, 9, ...) shows as 25 percent, but stays stored
    // as it is until a button is picked: the field painter draws it as it stands (0 opaque,
    // above 4 no ghost block).
    QRadioButton* styles[] = {ps25transparent, ps50transparent, ps75transparent, psoutline};
    const int checked = o.shadowoption >= 1 && o.shadowoption <= 4 ? o.shadowoption - 1 : 0;
    for (int i = 0; i < 4; ++i) SetChecked(styles[i], i == checked);
    SetChecked(gametimestamp, o.chatts != 0);
    SetChecked(showincsb, o.showincsb != 0);
    SetChecked(animdropcb, o.animdrop != 0);
    SetChecked(usealphacb, o.usealpha != 0);
    SetChecked(resizablecb, o.resizefields != 0);
    EnableStyles();
}

// ---- Server page

Tzrsserver::Tzrsserver(QWidget* parent) : OptionPage("setserver", parent) {
    SetNeedPaint(true);
}

// ---- Miscellaneous options

Tzrsmisc::Tzrsmisc(QWidget* parent) : OptionPage("setmisc", parent) {
    soundcb =
        AddCheck("soundcb", "Play sounds", [](bool on) { Settings.options.soundon = on ? 1 : 0; });
    taskbar = AddCheck("taskbar", "Minimise to the notification area",
                       [](bool on) { Settings.options.taskbar = on ? 1 : 0; });
    maxfullscreen = AddCheck("maxfullscreen", "A maximised window covers the whole screen",
                             [](bool on) { Settings.options.maxfs = on ? 1 : 0; });
    FillFromOptions();
}

void Tzrsmisc::FillFromOptions() {
    const tclientoptions& o = Settings.options;
    SetChecked(soundcb, o.soundon != 0);
    SetChecked(taskbar, o.taskbar != 0);
    SetChecked(maxfullscreen, o.maxfs != 0);
}

// ---- Lobby options

Tzrsbrowser::Tzrsbrowser(QWidget* parent) : OptionPage("setbrowser", parent) {
    findgamestimestamp = AddCheck("findgamestimestamp", "Time stamps on lobby chat",
                                  [](bool on) { Settings.lobby.findgamests = on ? 1 : 0; });
    concurrentpingseb =
        AddNumber("concurrentpingseb", "Regions pinged at the same time", [](const std::string& t) {
            Settings.lobby.concurrentpings = OptionNumber(t, NoNumberConcurrentPings);
        });
    pingtrieseb = AddNumber("pingtrieseb", "Answers a region needs", [](const std::string& t) {
        Settings.lobby.pingtries = OptionNumber(t, NoNumberPingTries);
    });
    showjoinsparts = AddCheck("showjoinsparts", "Show players joining and leaving rooms",
                              [](bool on) { Settings.lobby.showjoinsparts = on ? 1 : 0; });
    minimizebrb = AddCheck("minimizebrb", "Minimising sets \"be right back\"",
                           [](bool on) { Settings.lobby.minimizebrb = on ? 1 : 0; });
    idlebrb = AddNumber(
        "idlebrb", "Idle minutes before \"be right back\" (0: never)",
        [](const std::string& t) { Settings.lobby.idlebrb = OptionNumber(t, NoNumberIdle); });
    idleaway = AddNumber(
        "idleaway", "Idle minutes before \"away\" (0: never)",
        [](const std::string& t) { Settings.lobby.idleaway = OptionNumber(t, NoNumberIdle); });
    idlesleeping = AddNumber(
        "idlesleeping", "Idle minutes before \"sleeping\" (0: never)",
        [](const std::string& t) { Settings.lobby.idlesleeping = OptionNumber(t, NoNumberIdle); });
    FillFromOptions();
}

void Tzrsbrowser::FillFromOptions() {
    const tlobbyoptions& o = Settings.lobby;
    SetChecked(findgamestimestamp, o.findgamests != 0);
    SetNumber(concurrentpingseb, o.concurrentpings);
    SetNumber(pingtrieseb, o.pingtries);
    SetChecked(showjoinsparts, o.showjoinsparts != 0);
    SetChecked(minimizebrb, o.minimizebrb != 0);
    SetNumber(idlebrb, o.idlebrb);
    SetNumber(idleaway, o.idleaway);
    SetNumber(idlesleeping, o.idlesleeping);
}

}  // namespace pk
