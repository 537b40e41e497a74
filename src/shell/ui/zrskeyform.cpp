#include "shell/ui/zrskeyform.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "game/zrkey.h"
#include "platform/cp1252.h"
#include "platform/keystate.h"
#include "room/zrroomhost.h"
#include "skin/ui/zrwidgetpalette.h"
#include "skin/zrskin.h"
#include "skin/zrskintable.h"

namespace pk {

Tzrpickkeyf* zrpickkeyf = nullptr;
Tzrskey* zrskey = nullptr;

namespace {

// Places on the page, below its heading.
constexpr int LeftColumn = 24;
constexpr int RightColumn = 400;
constexpr int RowHeight = 22;
constexpr int ActionWidth = 180;
constexpr int KeyWidth = 150;
constexpr int BarWidth = 260;

}  // namespace

// ---- Tzrpickkeyf

Tzrpickkeyf::Tzrpickkeyf(QWidget* parent) : QDialog(parent) {
    FollowDialogPalette(*this);
    setWindowTitle("Pick Key");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel("Press the key you want to use for this action.", this);
    label->setObjectName("Label1");
    layout->addWidget(label);
    if (!zrpickkeyf)
        zrpickkeyf = this;
}

Tzrpickkeyf::~Tzrpickkeyf() {
    if (zrpickkeyf == this)
        zrpickkeyf = nullptr;
}

void Tzrpickkeyf::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void Tzrpickkeyf::FormShow() {
    picked_ = 0;
}

void Tzrpickkeyf::keyPressEvent(QKeyEvent* event) {
    ReportErrors("Tzrpickkeyf.FormKeyPress", [&] { FormKeyPress(*event); });
}

void Tzrpickkeyf::keyReleaseEvent(QKeyEvent* event) {
    ReportErrors("Tzrpickkeyf.FormKeyUp", [&] { FormKeyUp(*event); });
}

void Tzrpickkeyf::FormKeyPress(QKeyEvent& key) {
    key.accept();
}

void Tzrpickkeyf::FormKeyUp(QKeyEvent& key) {
    key.accept();
    if (key.isAutoRepeat())
        return;
    const bool keypad = (key.modifiers() & Qt::KeypadModifier) != 0;
    picked_ =
        static_cast<uint16_t>(VirtualKeyFromQt(key.key(), keypad, key.nativeScanCode()) & 0xFFFF);
    accept();
}

int PickKey(QWidget* parent) {
    if (zrpickkeyf) {
        zrpickkeyf->exec();
        return zrpickkeyf->PickedKey();
    }
    Tzrpickkeyf dialog(parent);
    dialog.exec();
    return dialog.PickedKey();
}

// ---- Tzrskey

Tzrskey::Tzrskey(QWidget* parent) : TZRSkinForm("setcontrol", parent) {
    SetNeedPaint(true);
    if (!zrskey)
        zrskey = this;
    AddText("Movement:", LeftColumn, 60, 300);
    movekeylist =
        AddGrid("movekeylist", KeyGrid::Move, LeftColumn, 82, &Tzrskey::movekeylistDblClick);
    AddText("Miscellaneous:", LeftColumn, 236, 300);
    misckeylist =
        AddGrid("misckeylist", KeyGrid::Misc, LeftColumn, 258, &Tzrskey::misckeylistDblClick);
    AddText("Using Special Blocks:", RightColumn, 60, 300);
    sbkeylist =
        AddGrid("sbkeylist", KeyGrid::Special, RightColumn, 82, &Tzrskey::sbkeylistDblClick);

    AddText("Sensitivity:", RightColumn, 236, 300);
    AddText("Delay after first keypress:", RightColumn, 262, 300);
    horzdelaybar =
        AddBar("horzdelaybar", DelayBarMax, &delaylabel, 284, &Tzrskey::horzdelaybarChange);
    AddText("Rate of how fast piece moves ", RightColumn, 326, 300);
    horzrepeatbar =
        AddBar("horzrepeatbar", RepeatBarMax, &repeatlabel, 348, &Tzrskey::horzrepeatbarChange);
    AddText("Fall speed:", RightColumn, 390, 300);
    downrepeatbar =
        AddBar("downrepeatbar", RepeatBarMax, &falllabel, 412, &Tzrskey::downrepeatbarChange);

    defaultconfig = new QPushButton("Default Keys", this);
    defaultconfig->setObjectName("defaultconfig");
    defaultconfig->setGeometry(LeftColumn, 440, 160, 28);
    QObject::connect(defaultconfig, &QPushButton::clicked, [this] {
        ReportErrors("defaultconfigClick", [this] { defaultconfigClick(); });
    });
    defaultrepeat = new QPushButton("Default Sensitivity", this);
    defaultrepeat->setObjectName("defaultrepeat");
    defaultrepeat->setGeometry(RightColumn, 460, 160, 28);
    QObject::connect(defaultrepeat, &QPushButton::clicked, [this] {
        ReportErrors("defaultrepeatClick", [this] { defaultrepeatClick(); });
    });
    ShowKeys();
}

Tzrskey::~Tzrskey() {
    if (zrskey == this)
        zrskey = nullptr;
}

QLabel* Tzrskey::AddText(const QString& text, int left, int top, int width) {
    auto* label = new QLabel(text, this);
    label->setGeometry(left, top, width, 20);
    texts_.push_back(label);
    return label;
}

QTableWidget* Tzrskey::AddGrid(const char* name, KeyGrid grid, int left, int top,
                               void (Tzrskey::*dblClick)(int row)) {
    const int rows = KeyGridRows(grid);
    auto* table = new QTableWidget(rows, 2, this);
    table->setObjectName(name);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(RowHeight);
    table->setColumnWidth(0, ActionWidth);
    table->setColumnWidth(1, KeyWidth);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setGeometry(left, top, ActionWidth + KeyWidth + 4, rows * RowHeight + 4);
    for (int row = 0; row < rows; ++row) {
        const int slot = KeyGridSlot(grid, row);
        table->setItem(row, 0,
                       new QTableWidgetItem(Cp1252ToQString(
                           std::string(KeyActionNames[static_cast<std::size_t>(slot)]))));
        table->setItem(row, 1, new QTableWidgetItem());
    }
    QObject::connect(table, &QTableWidget::cellDoubleClicked, [this, name, dblClick](int row, int) {
        ReportErrors(name, [&] { (this->*dblClick)(row); });
    });
    return table;
}

QSlider* Tzrskey::AddBar(const char* name, int maximum, QLabel** valueLabel, int top,
                         void (Tzrskey::*changed)(int value)) {
    AddText("fast", RightColumn, top + 2, 30);
    auto* bar = new QSlider(Qt::Horizontal, this);
    bar->setObjectName(name);
    bar->setRange(1, maximum);
    bar->setTickInterval(BarTick);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setGeometry(RightColumn + 34, top, BarWidth, 24);
    AddText("slow", RightColumn + 38 + BarWidth, top + 2, 30);
    QLabel* label = AddText(QString(), RightColumn + 76 + BarWidth, top + 2, 40);
    *valueLabel = label;
    // Runs only when the player moves the bar: ShowKeys fills it with its signals blocked.
    QObject::connect(bar, &QSlider::valueChanged, [this, name, changed](int v) {
        ReportErrors(name, [&] { (this->*changed)(v); });
    });
    return bar;
}

void Tzrskey::horzdelaybarChange(int value) {
    delaylabel->setNum(value);
    HorzDelayChanged(KeyTable(), value);
}

void Tzrskey::horzrepeatbarChange(int value) {
    repeatlabel->setNum(value);
    HorzRepeatChanged(KeyTable(), value);
}

void Tzrskey::downrepeatbarChange(int value) {
    falllabel->setNum(value);
    DownRepeatChanged(KeyTable(), value);
}

void Tzrskey::ShowKeys() {
    TKeyTable& keys = KeyTable();
    for (KeyGrid grid : {KeyGrid::Move, KeyGrid::Misc, KeyGrid::Special}) {
        QTableWidget* table = grid == KeyGrid::Move   ? movekeylist
                              : grid == KeyGrid::Misc ? misckeylist
                                                      : sbkeylist;
        for (int row = 0; row < KeyGridRows(grid); ++row) {
            const TKeySlotRec& slot = keys[static_cast<std::size_t>(KeyGridSlot(grid, row))];
            table->item(row, 1)->setText(Cp1252ToQString(KeyName(slot.KeySetting)));
        }
    }
    const KeyPageBars bars = ShowKeysValues(keys);
    const std::pair<QSlider*, QLabel*> pairs[] = {
        {horzdelaybar, delaylabel}, {horzrepeatbar, repeatlabel}, {downrepeatbar, falllabel}};
    const int values[] = {bars.delay, bars.repeat, bars.fall};
    for (int i = 0; i < 3; ++i) {
        const QSignalBlocker quiet(pairs[i].first);
        pairs[i].first->setValue(values[i]);
        pairs[i].second->setNum(values[i]);
    }
}

void Tzrskey::PickKeyFor(KeyGrid grid, int row) {
    const int slot = KeyGridSlot(grid, row);
    if (slot < 0)
        return;
    const int key = picker_ ? picker_() : PickKey(this);
    SetPickedKey(KeyTable(), slot, key);
    ShowKeys();
}

void Tzrskey::defaultconfigClick() {
    if (DefaultKeysClick(KeyTable(), ClientState.game.GameRunning != 0))
        Room().ShowMessage(KeysNextGameMessage);
    ShowKeys();
}

void Tzrskey::defaultrepeatClick() {
    if (DefaultSensitivityClick(KeyTable(), ClientState.game.GameRunning != 0))
        Room().ShowMessage(KeysNextGameMessage);
    ShowKeys();
}

void Tzrskey::ContainerShown() {
    ApplyTextColour(texts_);
    ShowKeys();
}

void Tzrskey::showEvent(QShowEvent* event) {
    TZRSkinForm::showEvent(event);
    ReportErrors("key page shown", [this] {
        ApplyTextColour(texts_);
        ShowKeys();
    });
}

}  // namespace pk
