// The tab pages of the game-set editor: every bound control under the words of the binding
// table (gamesetup/zrgamesetform.h), the specials' rules under their names, and the weight bars
// with their values.
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTabWidget>
#include <algorithm>

#include "core/zrlog.h"
#include "game/zrsb.h"
#include "gamesetup/ui/zrgamesetupform.h"
#include "platform/cp1252.h"

namespace pk {

namespace {

// The pages' rows in order. A section headed by a special block's letter gathers that
// special's rules under its display name; letter 0 has no heading.
struct PageSection {
    char special;
    std::vector<std::string_view> keys;
};
const std::vector<PageSection> kPlayerPage = {
    {0, {"maxp", "maxs", "startvote", "startvotesec", "allowmove", "alwaysmod", "eteams"}}};
const std::vector<PageSection> kGamePage = {
    {0,
     {"lvlstart", "linesforlvl", "lvlinc", "avglvl", "speedupmin", "speedupint", "winbylines",
      "winlines", "holdpiece", "pshadow", "piecedelay", "maxpieces", "samepieces", "classic"}}};
const std::vector<PageSection> kSpecialPage = {
    {0,
     {"sbinc", "multfieldsb", "linesforsb", "multcolsb", "invcap", "samesbs", "sbsinorder",
      "sacrifice", "deadsb"}},
    {'a', {"sbagaps"}},
    {'n', {"sbnlines"}},
    {'r', {"sbrblocks"}},
    {'s', {"sbsstack"}},
    {'g', {"sbgcollect", "sbglines"}},
    {'q', {"sbqshift"}},
    {'o', {"sbosize", "sboline"}},
    {'i', {"sbicount", "sbitimed", "sbistack", "sbiself"}},
    {'d', {"sbdcount", "sbdtimed", "sbdstack"}},
    {'f', {"sbfcount", "sbftimed", "sbfstack"}},
    {'m', {"sbmcount", "sbmtimed", "sbmstack", "sbmpw", "sbmph", "sbmpb"}},
};

QString Words(std::string_view text) {
    return Cp1252ToQString(text);
}

// A page scrolls, so that the window keeps its height with the settings shown.
QWidget* Scrolled(QWidget* page) {
    auto* scroll = new QScrollArea();
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(page);
    return scroll;
}

// A weight's row: the special's or piece's name, its bar and the bar's value, which follows
// the bar as it moves (also when the window sets it).
QSlider* WeightRow(QWidget* parent, QGridLayout* grid, int row, int column,
                   const std::string& name) {
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(QString::fromStdString(name));
    bar->setRange(0, MaxWeight);
    auto* label = new QLabel(Words(GameSetControlLabel(name)), parent);
    label->setBuddy(bar);
    auto* value = new QLabel(QString::number(bar->value()), parent);
    value->setObjectName(QString::fromStdString(name + "value"));
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("000")));
    QObject::connect(bar, &QSlider::valueChanged, value,
                     [value](int v) { value->setText(QString::number(v)); });
    grid->addWidget(label, row, column);
    grid->addWidget(bar, row, column + 1);
    grid->addWidget(value, row, column + 2);
    return bar;
}

QLabel* Heading(const QString& text, QWidget* parent) {
    auto* heading = new QLabel(text, parent);
    QFont font = heading->font();
    font.setBold(true);
    heading->setFont(font);
    return heading;
}

// The rows of a page: each key's check box or labelled edit, the specials' rules under their
// names.
QWidget* BuildPage(QWidget* parent, const std::vector<PageSection>& sections,
                   std::map<std::string, QCheckBox*, std::less<>>& checks,
                   std::map<std::string, QLineEdit*, std::less<>>& edits) {
    auto* page = new QWidget(parent);
    auto* form = new QFormLayout(page);
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    for (const PageSection& section : sections) {
        if (section.special) {
            form->addRow(Heading(Words(SpecialName(std::string_view(&section.special, 1))), page));
        }
        for (std::string_view key : section.keys) {
            const auto check =
                std::find_if(GameSetCheckBindings.begin(), GameSetCheckBindings.end(),
                             [key](const auto& b) { return b.key == key; });
            if (check != GameSetCheckBindings.end()) {
                auto* box = new QCheckBox(Words(check->label), page);
                box->setObjectName(Words(check->control));
                checks[std::string(key)] = box;
                form->addRow(box);
                continue;
            }
            const auto edit = std::find_if(GameSetEditBindings.begin(), GameSetEditBindings.end(),
                                           [key](const auto& b) { return b.key == key; });
            if (edit != GameSetEditBindings.end()) {
                auto* line = new QLineEdit(page);
                line->setObjectName(Words(edit->control));
                edits[std::string(key)] = line;
                form->addRow(Words(edit->label), line);
            }
        }
    }
    return page;
}

}  // namespace

void Tzrgamesetup::BuildPages() {
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("settingstablist"));
    gsdesc_ = new QPlainTextEdit(tabs_);
    gsdesc_->setObjectName(QStringLiteral("gsdesc"));
    tabs_->addTab(gsdesc_, QStringLiteral("Description"));

    QWidget* playersPage = BuildPage(tabs_, kPlayerPage, checks_, edits_);
    auto* lists = new QHBoxLayout();
    for (const auto& list : GameSetListBindings) {
        auto* group = new QGroupBox(Words(list.label), playersPage);
        auto* form = new QFormLayout(group);
        auto& edits = list.key == "stacks" ? stacks_ : teams_;
        for (std::size_t i = 0; i < edits.size(); ++i) {
            const std::string name = std::string(list.control) + std::to_string(i + 1);
            edits[i] = new QLineEdit(group);
            edits[i]->setObjectName(QString::fromStdString(name));
            form->addRow(Words(GameSetControlLabel(name)), edits[i]);
        }
        lists->addWidget(group);
    }
    static_cast<QFormLayout*>(playersPage->layout())->addRow(lists);
    tabs_->addTab(Scrolled(playersPage), QStringLiteral("Players"));
    QWidget* gamePage = BuildPage(tabs_, kGamePage, checks_, edits_);
    gsclassicrules_ = new QPlainTextEdit(gamePage);
    gsclassicrules_->setObjectName(QStringLiteral("gsclassicrules"));
    static_cast<QFormLayout*>(gamePage->layout())
        ->addRow(Words(GameSetControlLabel("gsclassicrules")), gsclassicrules_);
    tabs_->addTab(Scrolled(gamePage), QStringLiteral("Game Settings"));

    auto* sbPage = new QWidget(tabs_);
    auto* sbGrid = new QGridLayout(sbPage);
    sbset_ = new QComboBox(sbPage);
    sbset_->setObjectName(QStringLiteral("sbset"));
    sbset_->addItems(
        {QStringLiteral("One line is cleared."), QStringLiteral("Two lines are cleared."),
         QStringLiteral("Three lines are cleared."), QStringLiteral("Four lines are cleared.")});
    auto* sbsetLabel = new QLabel(QStringLiteral("Chances of each special block when:"), sbPage);
    sbsetLabel->setBuddy(sbset_);
    shiftleft_ = new QPushButton(QStringLiteral("<<<"), sbPage);
    shiftleft_->setObjectName(QStringLiteral("shiftleft"));
    shiftleft_->setToolTip(QStringLiteral("Every chance of this case one lower"));
    shiftright_ = new QPushButton(QStringLiteral(">>>"), sbPage);
    shiftright_->setObjectName(QStringLiteral("shiftright"));
    shiftright_->setToolTip(QStringLiteral("Every chance of this case one higher"));
    changeall_ = new QCheckBox(QStringLiteral("Change all at once"), sbPage);
    changeall_->setObjectName(QStringLiteral("changeall"));
    sbGrid->addWidget(sbsetLabel, 0, 0, 1, 6);
    sbGrid->addWidget(sbset_, 1, 0, 1, 3);
    sbGrid->addWidget(shiftleft_, 1, 3);
    sbGrid->addWidget(shiftright_, 1, 4, 1, 2);
    sbGrid->addWidget(changeall_, 2, 0, 1, 6);
    for (int k = 0; k < SpecialBlockKinds; ++k) {
        QSlider* bar =
            WeightRow(sbPage, sbGrid, 3 + k % 7, (k / 7) * 3, "gssb" + std::to_string(k + 1));
        gssb_[static_cast<std::size_t>(k)] = bar;
        connect(bar, &QSlider::valueChanged, this,
                [this, bar] { ReportErrors("Tzrgamesetup.gssbChange", [&] { gssbChange(bar); }); });
    }
    sbGrid->setRowStretch(3 + 7, 1);
    tabs_->addTab(Scrolled(sbPage), QStringLiteral("Special Blocks"));
    tabs_->addTab(Scrolled(BuildPage(tabs_, kSpecialPage, checks_, edits_)),
                  QStringLiteral("S.B. Settings"));
    auto* piecePage = new QWidget(tabs_);
    auto* pieceGrid = new QGridLayout(piecePage);
    pieceGrid->addWidget(new QLabel(QStringLiteral("Chances of each piece:"), piecePage), 0, 0, 1,
                         3);
    for (std::size_t n = 0; n < gsp_.size(); ++n) {
        QSlider* bar = WeightRow(piecePage, pieceGrid, static_cast<int>(n) + 1, 0,
                                 "gsp" + std::to_string(n + 1));
        gsp_[n] = bar;
        connect(bar, &QSlider::valueChanged, this, [this] { gstbchange(); });
    }
    pieceGrid->setRowStretch(static_cast<int>(gsp_.size()) + 1, 1);
    tabs_->addTab(Scrolled(piecePage), QStringLiteral("Game Pieces"));

    for (auto& [key, box] : checks_) {
        connect(box, &QCheckBox::clicked, this, [this] { gscbclick(); });
    }
    for (auto& [key, edit] : edits_) {
        connect(edit, &QLineEdit::textEdited, this, [this] { gseditchange(); });
    }
    for (QLineEdit* edit : stacks_) {
        connect(edit, &QLineEdit::textEdited, this, [this] { gseditchange(); });
    }
    for (QLineEdit* edit : teams_) {
        connect(edit, &QLineEdit::textEdited, this, [this] { gseditchange(); });
    }
    for (QPlainTextEdit* text : {gsdesc_, gsclassicrules_}) {
        connect(text, &QPlainTextEdit::textChanged, this, [this] { gsrechange(); });
    }
}

}  // namespace pk
