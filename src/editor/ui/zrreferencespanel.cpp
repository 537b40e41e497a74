#include "editor/ui/zrreferencespanel.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "editor/ui/zrform1.h"
#include "editor/ui/zrmaincombo.h"
#include "editor/zrpack.h"

namespace pk {

ReferencesPanel::ReferencesPanel(TForm1& form, QWidget* parent) : QWidget(parent), form_(form) {
    setObjectName("reftoppanel");
    label_ = new QLabel("Show references from:", this);
    combo_ = new QComboBox(this);
    combo_->setObjectName("refscombo");
    update_ = new QPushButton("Update", this);
    update_->setObjectName("updaterefs");
    setFixedHeight(24 + combo_->sizeHint().height());
    connect(update_, &QPushButton::clicked, this, &ReferencesPanel::updaterefsClick);
}

void ReferencesPanel::FillCombo() {
    FillMainBitmapCombo(combo_, form_.doc(), false);
}

void ReferencesPanel::updaterefsClick() {
    TZRC* main = ChosenMainBitmap(combo_);
    if (!main)
        return;
    UpdateReferences(form_.doc(), main);
    form_.RefreshResourcePage();
}

void ReferencesPanel::resizeEvent(QResizeEvent* event) {
    // Laid out by hand: the combo takes what the button leaves.
    reftoppanelResize();
    QWidget::resizeEvent(event);
}

void ReferencesPanel::reftoppanelResize() {
    const int w = width();
    label_->setGeometry(2, 2, std::max(0, w - 4), 16);
    combo_->setGeometry(2, 20, std::max(0, w - 60), combo_->sizeHint().height());
    update_->setGeometry(w - 53, 20, 51, combo_->height());
}

}  // namespace pk
