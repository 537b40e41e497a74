#include "lobby/ui/zrpsl.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/zrlog.h"
#include "lobby/ui/zrdialogs.h"
#include "skin/ui/zrwidgetpalette.h"

namespace pk {

Tzrpsl* zrpsl = nullptr;

Tzrpsl::Tzrpsl(QWidget* parent) : QDialog(parent) {
    FollowDialogPalette(*this);
    setObjectName("zrpsl");
    setWindowTitle("Permanent Status List");
    auto* layout = new QVBoxLayout(this);
    statuslist_ = new QTreeWidget(this);
    statuslist_->setObjectName("statuslist");
    statuslist_->setRootIsDecorated(false);
    statuslist_->setColumnCount(4);
    statuslist_->setHeaderLabels({"Status", "Nickname", "Message", "Remove in"});
    statuslist_->header()->setSectionsClickable(true);
    statuslist_->header()->setSortIndicatorShown(true);
    statuslist_->setColumnWidth(0, 70);
    statuslist_->setColumnWidth(1, 100);
    statuslist_->setColumnWidth(2, 150);
    statuslist_->setColumnWidth(3, 70);
    layout->addWidget(statuslist_);
    auto* buttons = new QHBoxLayout();
    removeuser_ = new QPushButton("Remove", this);
    removeuser_->setObjectName("removeuser");
    ok_ = new QPushButton("OK", this);
    ok_->setObjectName("OK");
    buttons->addWidget(removeuser_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    layout->addLayout(buttons);
    resize(440, 300);

    connect(statuslist_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        LogAndGoOn("statuslistColumnClick", [&] { statuslistColumnClick(column); });
    });
    connect(statuslist_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (!filling_) {
            model_.Select(item ? statuslist_->indexOfTopLevelItem(item) : -1);
        }
    });
    connect(removeuser_, &QPushButton::clicked, this,
            [this] { LogAndGoOn("removeuserClick", [this] { removeuserClick(); }); });
    connect(ok_, &QPushButton::clicked, this,
            [this] { LogAndGoOn("OKClick", [this] { OKClick(); }); });
    zrpsl = this;
}

Tzrpsl::~Tzrpsl() {
    if (zrpsl == this) {
        zrpsl = nullptr;
    }
}

void Tzrpsl::FillStatusList(const std::string& payload) {
    model_.Fill(payload, isVisible());
    ShowRows();
    show();
    raise();
}

void Tzrpsl::OKClick() {
    model_.Clear();
    ShowRows();
    close();
}

void Tzrpsl::removeuserClick() {
    if (model_.RemoveSelected()) {
        ShowRows();
    }
}

void Tzrpsl::statuslistColumnClick(int column) {
    model_.ColumnClick(column);
    ShowRows();
}

void Tzrpsl::ShowRows() {
    filling_ = true;
    statuslist_->clear();
    for (const StatusListRecord& row : model_.Rows()) {
        QStringList cells;
        for (const std::string& cell : row.cells) {
            cells << DialogText(cell);
        }
        statuslist_->addTopLevelItem(new QTreeWidgetItem(cells));
    }
    statuslist_->header()->setSortIndicator(
        model_.SortColumn(), model_.Ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (QTreeWidgetItem* item = statuslist_->topLevelItem(model_.Selected())) {
        statuslist_->setCurrentItem(item);
    } else {
        statuslist_->setCurrentItem(nullptr);
        statuslist_->clearSelection();
    }
    filling_ = false;
}

}  // namespace pk
