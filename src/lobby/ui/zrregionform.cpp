#include "lobby/ui/zrregionform.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/zrlog.h"
#include "lobby/ui/zrdialogs.h"
#include "skin/ui/zrwidgetpalette.h"

namespace pk {

Tzrregionlist* zrregionlist = nullptr;

Tzrregionlist::Tzrregionlist(QWidget* parent) : QDialog(parent) {
    FollowDialogPalette(*this);
    setObjectName("zrregionlist");
    setWindowTitle("Select Game Location");
    auto* layout = new QVBoxLayout(this);
    regionlist_ = new QTreeWidget(this);
    regionlist_->setObjectName("regionlist");
    regionlist_->setRootIsDecorated(false);
    regionlist_->setColumnCount(4);
    regionlist_->setHeaderLabels({"Location", "Games", "People", "Ping"});
    regionlist_->header()->setSectionsClickable(true);
    regionlist_->header()->setSortIndicatorShown(true);
    regionlist_->setColumnWidth(0, 140);
    regionlist_->setColumnWidth(1, 55);
    regionlist_->setColumnWidth(2, 55);
    regionlist_->setColumnWidth(3, 60);
    layout->addWidget(regionlist_);
    auto* buttons = new QHBoxLayout();
    pingservers_ = new QPushButton("Ping Servers", this);
    pingservers_->setObjectName("pingservers");
    pingservers_->setAutoDefault(false);
    buttons->addWidget(pingservers_);
    buttons->addStretch();
    serverok_ = new QPushButton("OK", this);
    serverok_->setObjectName("serverok");
    serverok_->setDefault(true);
    buttons->addWidget(serverok_);
    layout->addLayout(buttons);
    resize(360, 260);

    connect(regionlist_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        LogAndGoOn("regionlistColumnClick", [&] { regionlistColumnClick(column); });
    });
    connect(regionlist_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!filling_) {
            model_.Select(item ? regionlist_->indexOfTopLevelItem(item) : -1);
        }
    });
    connect(regionlist_, &QTreeWidget::itemDoubleClicked, this,
            [this] { LogAndGoOn("regionlistDblClick", [this] { serverokClick(); }); });
    // The same routine as the lobby window's button: the regions are asked for and measured.
    connect(pingservers_, &QPushButton::clicked, this,
            [] { LogAndGoOn("pingserversClick", [] { pingserversClick(); }); });
    connect(serverok_, &QPushButton::clicked, this,
            [this] { LogAndGoOn("serverokClick", [this] { serverokClick(); }); });
    zrregionlist = this;
}

Tzrregionlist::~Tzrregionlist() {
    if (zrregionlist == this) {
        zrregionlist = nullptr;
    }
}

void Tzrregionlist::FillRegionList() {
    // The rows come back in the list's own order, by location.
    model_.Fill();
    model_.Sort();
    ShowRows();
    if (!isVisible()) {
        show();
        raise();
    }
}

void Tzrregionlist::serverokClick() {
    close();
}

void Tzrregionlist::regionlistColumnClick(int column) {
    model_.ColumnClick(column);
    ShowRows();
}

void Tzrregionlist::SelectRow(int row) {
    if (QTreeWidgetItem* item = regionlist_->topLevelItem(row)) {
        regionlist_->setCurrentItem(item);
    }
}

void Tzrregionlist::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    LogAndGoOn("FormClose", [this] {
        if (onRegionChosen) {
            onRegionChosen(model_.SelectedRegionId());
        }
    });
}

void Tzrregionlist::ShowRows() {
    filling_ = true;
    regionlist_->clear();
    for (const TRegionListModel::Row& row : model_.Rows()) {
        QStringList cells;
        for (const std::string& cell : row.cells) {
            cells << DialogText(cell);
        }
        auto* item = new QTreeWidgetItem(cells);
        for (int column = 1; column < 4; ++column) {
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
        regionlist_->addTopLevelItem(item);
    }
    regionlist_->header()->setSortIndicator(
        model_.SortColumn(), model_.Ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (QTreeWidgetItem* item = regionlist_->topLevelItem(model_.Selected())) {
        regionlist_->setCurrentItem(item);
    } else {
        regionlist_->setCurrentItem(nullptr);
    }
    filling_ = false;
}

}  // namespace pk
