#include "gamesetup/ui/zrgamesetupform.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/zrlog.h"
#include "platform/cp1252.h"
#include "room/zrpartyline.h"
#include "skin/ui/zrskinform.h"
#include "skin/ui/zrwidgetpalette.h"

namespace pk {

Tzrgamesetup* zrgamesetup = nullptr;

namespace {

constexpr int kExpandedHeight = 442;

QString Q(const std::string& text) {
    return Cp1252ToQString(text);
}

std::string S(const QString& text) {
    return QStringToCp1252(text);
}

// Multi-line texts of a set end their lines in CR LF; the edit keeps bare line feeds.
QString MultiLine(const std::string& text) {
    std::string out;
    for (char ch : text) {
        if (ch != '\r') {
            out += ch;
        }
    }
    return Q(out);
}

}  // namespace

Tzrgamesetup::Tzrgamesetup(QWidget* parent) : QWidget(parent, Qt::Window) {
    FollowDialogPalette(*this);
    zrgamesetup = this;
    setObjectName(QStringLiteral("zrgamesetup"));
    setWindowTitle(QStringLiteral("Game Setup"));
    Build();
    // Collapsed to the header, centred across and 221 pixels above the screen's middle.
    adjustSize();
    headerHeight_ = header_->sizeHint().height();
    tabs_->hide();
    resize(620, headerHeight_);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center().x() - width() / 2, area.center().y() - 221);
    }
}

Tzrgamesetup::~Tzrgamesetup() {
    if (zrgamesetup == this) {
        zrgamesetup = nullptr;
    }
}

void Tzrgamesetup::Build() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    // Panel2 holds the set list with the ways out (aheader) above the region and the set
    // management buttons.
    header_ = new QWidget(this);
    header_->setObjectName(QStringLiteral("Panel2"));
    auto* headerColumn = new QVBoxLayout(header_);
    headerColumn->setContentsMargins(0, 0, 0, 0);
    auto* aheader = new QWidget(header_);
    aheader->setObjectName(QStringLiteral("aheader"));
    auto* top = new QGridLayout(aheader);
    top->setContentsMargins(0, 0, 0, 0);
    headerColumn->addWidget(aheader);
    auto* grid = new QGridLayout();
    headerColumn->addLayout(grid);
    label1_ = new QLabel(header_);
    label1_->setObjectName(QStringLiteral("Label1"));
    presetlist_ = new QComboBox(header_);
    presetlist_->setObjectName(QStringLiteral("presetlist"));
    presetlist_->setEditable(false);
    presetlist_->installEventFilter(this);
    creategameb_ = new QPushButton(QStringLiteral("Create Game"), header_);
    creategameb_->setObjectName(QStringLiteral("creategameb"));
    creategameb_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), header_);
    cancel_->setObjectName(QStringLiteral("cancel"));
    showsettings_ = new QPushButton(QStringLiteral("Show Settings"), header_);
    showsettings_->setObjectName(QStringLiteral("showsettings"));
    aadd_ = new QPushButton(QStringLiteral("New Set"), header_);
    aadd_->setObjectName(QStringLiteral("aadd"));
    adelete_ = new QPushButton(QStringLiteral("Delete Set"), header_);
    adelete_->setObjectName(QStringLiteral("adelete"));
    rename_ = new QPushButton(QStringLiteral("Rename Set"), header_);
    rename_->setObjectName(QStringLiteral("rename"));
    spectator_ = new QCheckBox(QStringLiteral("Join as spectator"), header_);
    spectator_->setObjectName(QStringLiteral("spectator"));
    regiontext_ = new QLineEdit(QStringLiteral("(Private Server)"), header_);
    regiontext_->setObjectName(QStringLiteral("Regiontext"));
    regiontext_->setReadOnly(true);
    moreregions_ = new QPushButton(QStringLiteral("..."), header_);
    moreregions_->setObjectName(QStringLiteral("MoreRegions"));
    moreregions_->setToolTip(QStringLiteral("Choose the server region"));
    auto* regionLabel = new QLabel(QStringLiteral("Server:"), header_);
    regionLabel->setBuddy(regiontext_);
    label1_->setBuddy(presetlist_);
    top->addWidget(label1_, 0, 0, 1, 4);
    top->addWidget(presetlist_, 1, 0, 1, 2);
    top->addWidget(creategameb_, 1, 2);
    top->addWidget(cancel_, 1, 3);
    auto* region = new QHBoxLayout();
    region->addWidget(regionLabel);
    region->addWidget(regiontext_, 1);
    region->addWidget(moreregions_);
    grid->addLayout(region, 2, 0, 1, 2);
    grid->addWidget(spectator_, 2, 2, 1, 2);
    grid->addWidget(showsettings_, 3, 0);
    grid->addWidget(aadd_, 3, 1);
    grid->addWidget(rename_, 3, 2);
    grid->addWidget(adelete_, 3, 3);
    aadd_->hide();
    adelete_->hide();
    rename_->hide();
    outer->addWidget(header_);

    BuildPages();
    outer->addWidget(tabs_, 1);

    connect(presetlist_, qOverload<int>(&QComboBox::activated), this, [this](int row) {
        ReportErrors("Tzrgamesetup.presetlistChange", [&] { presetlistChange(row); });
    });
    connect(sbset_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int index) {
        ReportErrors("Tzrgamesetup.sbsetChange", [&] { sbsetChange(index); });
    });
    connect(shiftleft_, &QPushButton::clicked, this,
            [this] { ReportErrors("Tzrgamesetup.shiftleftClick", [&] { shiftleftClick(); }); });
    connect(shiftright_, &QPushButton::clicked, this,
            [this] { ReportErrors("Tzrgamesetup.shiftrightClick", [&] { shiftrightClick(); }); });
    connect(changeall_, &QCheckBox::clicked, this, [this](bool ticked) {
        ReportErrors("Tzrgamesetup.changeallClick", [&] { changeallClick(ticked); });
    });
    connect(creategameb_, &QPushButton::clicked, this,
            [this] { ReportErrors("Tzrgamesetup.creategamebClick", [&] { creategamebClick(); }); });
    connect(cancel_, &QPushButton::clicked, this,
            [this] { ReportErrors("Tzrgamesetup.CancelClick", [&] { CancelClick(); }); });
    connect(showsettings_, &QPushButton::clicked, this, [this] {
        ReportErrors("Tzrgamesetup.showsettingsClick", [&] { showsettingsClick(); });
    });
    connect(aadd_, &QPushButton::clicked, this,
            [this] { ReportErrors("Tzrgamesetup.aaddClick", [&] { aaddClick(); }); });
    connect(rename_, &QPushButton::clicked, this,
            [this] { ReportErrors("Tzrgamesetup.renameClick", [&] { renameClick(); }); });
    connect(adelete_, &QPushButton::clicked, this,
            [this] { ReportErrors("Tzrgamesetup.adeleteClick", [&] { adeleteClick(); }); });
    connect(moreregions_, &QPushButton::clicked, this,
            [this] { ReportErrors("Tzrgamesetup.MoreRegionsClick", [&] { MoreRegionsClick(); }); });
}

QWidget* Tzrgamesetup::Control(const std::string& name) const {
    return findChild<QWidget*>(QString::fromStdString(name));
}

void Tzrgamesetup::LoadList() {
    presetlist_->clear();
    for (const TGameSetRow& row : model_.Rows()) {
        presetlist_->addItem(Q(row.text));
    }
    if (model_.SelectedRow() >= 0) {
        presetlist_->setCurrentIndex(model_.SelectedRow());
    } else {
        // A game's set shown on its own: the combo shows the game's name.
        presetlist_->addItem(Q(model_.ShownName()));
        presetlist_->setCurrentIndex(presetlist_->count() - 1);
    }
    presetlist_->setEnabled(model_.ListEnabled());
}

void Tzrgamesetup::LoadWeights() {
    const bool was = updating_;
    updating_ = true;
    const int weightCase = std::clamp(model_.weightCase, 0, WeightCases - 1);
    sbset_->setCurrentIndex(weightCase);
    for (int k = 0; k < SpecialBlockKinds; ++k) {
        gssb_[static_cast<std::size_t>(k)]->setValue(
            model_.controls
                .ChanceWeights[static_cast<std::size_t>(weightCase)][static_cast<std::size_t>(k)]);
    }
    changeall_->setChecked(model_.changeAll);
    updating_ = was;
}

void Tzrgamesetup::LoadControls() {
    updating_ = true;
    LoadList();
    const TGameSetControls& c = model_.controls;
    for (auto& [key, box] : checks_) {
        const auto it = c.checks.find(key);
        box->setChecked(it != c.checks.end() && it->second);
    }
    for (auto& [key, edit] : edits_) {
        const auto it = c.edits.find(key);
        edit->setText(it != c.edits.end() ? Q(it->second) : QString());
    }
    for (std::size_t i = 0; i < 6; ++i) {
        stacks_[i]->setText(Q(c.stacks[i]));
        teams_[i]->setText(Q(c.teams[i]));
    }
    gsdesc_->setPlainText(MultiLine(c.description));
    gsclassicrules_->setPlainText(MultiLine(c.classicRules));
    for (std::size_t n = 0; n < gsp_.size(); ++n) {
        gsp_[n]->setValue(c.pieces[n]);
    }
    LoadWeights();
    label1_->setText(Q(model_.Caption()));
    creategameb_->setText(Q(model_.ConfirmText()));
    creategameb_->setEnabled(model_.ConfirmEnabled());
    spectator_->setVisible(model_.SpectatorShown());
    moreregions_->setEnabled(model_.MoreRegionsEnabled());
    regiontext_->setText(Q(model_.RegionText()));
    // Without a selected set the pages only show it.
    for (int i = 0; i < tabs_->count(); ++i) {
        tabs_->widget(i)->setEnabled(model_.Editable());
    }
    updating_ = false;
}

void Tzrgamesetup::ReadControls() {
    TGameSetControls& c = model_.controls;
    for (auto& [key, box] : checks_) {
        c.checks[key] = box->isChecked();
    }
    for (auto& [key, edit] : edits_) {
        c.edits[key] = S(edit->text());
    }
    for (std::size_t i = 0; i < 6; ++i) {
        c.stacks[i] = S(stacks_[i]->text());
        c.teams[i] = S(teams_[i]->text());
    }
    // The multi-line texts keep the set's CR LF line ends.
    std::string desc = S(gsdesc_->toPlainText());
    std::string rules = S(gsclassicrules_->toPlainText());
    for (std::string* text : {&desc, &rules}) {
        std::string out;
        for (char ch : *text) {
            if (ch == '\n') {
                out += "\r\n";
            } else {
                out += ch;
            }
        }
        *text = std::move(out);
    }
    c.description = desc;
    c.classicRules = rules;
    for (std::size_t n = 0; n < gsp_.size(); ++n) {
        // A set may hold more repeats than the bar shows; an untouched bar keeps them.
        if (gsp_[n]->value() != std::min(c.pieces[n], MaxWeight)) {
            c.pieces[n] = gsp_[n]->value();
        }
    }
}

void Tzrgamesetup::ControlChanged(const char* where) {
    if (updating_) {
        return;
    }
    ReportErrors(where, [&] {
        ReadControls();
        model_.StoreControls();
    });
}

void Tzrgamesetup::gseditchange() {
    ControlChanged("Tzrgamesetup.gseditchange");
}

void Tzrgamesetup::gscbclick() {
    ControlChanged("Tzrgamesetup.gscbclick");
}

void Tzrgamesetup::gstbchange() {
    ControlChanged("Tzrgamesetup.gstbchange");
}

void Tzrgamesetup::gsrechange() {
    ControlChanged("Tzrgamesetup.gsrechange");
}

void Tzrgamesetup::gssbChange(const QObject* bar) {
    const auto* slider = qobject_cast<const QSlider*>(bar);
    if (updating_ || !slider) {
        return;
    }
    // The kind is the number after "gssb".
    bool ok = false;
    const int k = slider->objectName().mid(4).toInt(&ok) - 1;
    if (ok && k >= 0 && k < SpecialBlockKinds) {
        model_.WeightChanged(k, slider->value());
    }
}

void Tzrgamesetup::sbsetChange(int index) {
    if (updating_) {
        return;
    }
    model_.weightCase = index;
    LoadWeights();
}

void Tzrgamesetup::shiftleftClick() {
    model_.ShiftWeights(-1);
    LoadWeights();
}

void Tzrgamesetup::shiftrightClick() {
    model_.ShiftWeights(1);
    LoadWeights();
}

void Tzrgamesetup::changeallClick(bool ticked) {
    const bool on = model_.ChangeAllClicked(ticked);
    updating_ = true;
    changeall_->setChecked(on);
    updating_ = false;
    LoadWeights();
}

void Tzrgamesetup::presetlistChange(int row) {
    if (updating_) {
        return;
    }
    model_.SelectRow(row);
    LoadControls();
}

bool Tzrgamesetup::presetlistKeyPress(const QString& text) {
    return !text.isEmpty() && text.at(0).isPrint();
}

void Tzrgamesetup::aaddClick() {
    model_.AddSet();
    LoadControls();
}

void Tzrgamesetup::renameClick() {
    model_.RenameSet();
    LoadControls();
}

void Tzrgamesetup::adeleteClick() {
    model_.DeleteSet();
    LoadControls();
}

void Tzrgamesetup::MoreRegionsClick() {
    regiontext_->setFocus();
    GameSetupShell().OpenRegionPicker();
}

bool Tzrgamesetup::eventFilter(QObject* watched, QEvent* event) {
    bool taken = false;
    if (watched == presetlist_ && event->type() == QEvent::KeyPress) {
        ReportErrors("Tzrgamesetup.presetlistKeyPress",
                     [&] { taken = presetlistKeyPress(static_cast<QKeyEvent*>(event)->text()); });
    }
    return taken || QWidget::eventFilter(watched, event);
}

void Tzrgamesetup::SetMode(std::int32_t gameId, const std::string& gameName,
                           const std::string& data, bool editable, int mode) {
    model_.SetMode(gameId, gameName, data, editable, mode);
    LoadControls();
    show();
    raise();
    activateWindow();
}

void Tzrgamesetup::FillRegions(std::int32_t regionId, const std::string& text) {
    model_.SetRegion(regionId, text);
    regiontext_->setText(Q(text));
}

void Tzrgamesetup::creategamebClick() {
    model_.spectator = spectator_->isChecked();
    model_.ConfirmClicked();
    LoadControls();
    hide();
}

void Tzrgamesetup::CancelClick() {
    model_.Cancel();
    LoadControls();
    hide();
}

void Tzrgamesetup::showsettingsClick() {
    settingsShown_ = !settingsShown_;
    tabs_->setVisible(settingsShown_);
    aadd_->setVisible(settingsShown_);
    adelete_->setVisible(settingsShown_);
    rename_->setVisible(settingsShown_);
    showsettings_->setText(settingsShown_ ? QStringLiteral("Hide Settings")
                                          : QStringLiteral("Show Settings"));
    resize(width(), settingsShown_ ? kExpandedHeight : headerHeight_);
}

void Tzrgamesetup::closeEvent(QCloseEvent* event) {
    ReportErrors("Tzrgamesetup.close", [&] {
        if (model_.Open()) {
            model_.Cancel();
            LoadControls();
        }
    });
    QWidget::closeEvent(event);
}

void OpenRoomGameSetup(std::int32_t gameId, const std::string& gameName, const std::string& data,
                       bool editable) {
    if (zrgamesetup) {
        zrgamesetup->SetMode(gameId, gameName, data, editable, gsmRoomSet);
    }
}

void InstallRoomGameSetEditor() {
    SetRoomGameSetEditor([](const RoomGameSetRequest& request) {
        OpenRoomGameSetup(request.gameId, request.name, request.data, request.editable);
    });
}

}  // namespace pk
