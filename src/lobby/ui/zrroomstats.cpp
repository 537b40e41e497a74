#include "lobby/ui/zrroomstats.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/zrlog.h"
#include "lobby/ui/zrdialogs.h"
#include "lobby/zrstatuslist.h"
#include "skin/ui/zrwidgetpalette.h"

namespace pk {

Tsbroomstats* sbroomstats = nullptr;

Tsbroomstats::Tsbroomstats(QWidget* parent) : QDialog(parent) {
    FollowDialogPalette(*this);
    setObjectName("sbroomstats");
    setWindowTitle("Room Details");
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Topic:", this), 0, 0);
    roomtopic_ = new QLineEdit(this);
    roomtopic_->setObjectName("roomtopic");
    grid->addWidget(roomtopic_, 0, 1);
    roomkeycb_ = new QCheckBox("Key:", this);
    roomkeycb_->setObjectName("roomkeycb");
    grid->addWidget(roomkeycb_, 1, 0);
    roomkey_ = new QLineEdit(this);
    roomkey_->setObjectName("roomkey");
    grid->addWidget(roomkey_, 1, 1);
    roommod_ = new QCheckBox("Moderated", this);
    roommod_->setObjectName("roommod");
    grid->addWidget(roommod_, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    apply_ = new QPushButton("Apply", this);
    apply_->setObjectName("apply");
    apply_->setDefault(true);
    cancel_ = new QPushButton("Cancel", this);
    cancel_->setObjectName("cancel");
    buttons->addWidget(apply_);
    buttons->addWidget(cancel_);
    grid->addLayout(buttons, 3, 0, 1, 2);
    resize(320, 130);

    connect(roomkeycb_, &QCheckBox::clicked, this,
            [this] { LogAndGoOn("roomkeycbClick", [this] { roomkeycbClick(); }); });
    connect(apply_, &QPushButton::clicked, this,
            [this] { LogAndGoOn("applyClick", [this] { applyClick(); }); });
    connect(cancel_, &QPushButton::clicked, this,
            [this] { LogAndGoOn("cancelClick", [this] { cancelClick(); }); });
    roomkeycbClick();
    sbroomstats = this;
}

Tsbroomstats::~Tsbroomstats() {
    if (sbroomstats == this) {
        sbroomstats = nullptr;
    }
    if (open_) {
        // Closing down with the dialog open still gives the main window back.
        if (QWidget* main = DialogsMainWindow()) {
            main->setEnabled(true);
        }
    }
}

bool Tsbroomstats::OpenForCurrentRoom() {
    if (isVisible()) {
        result_ = 2;
        close();
    }
    TRoomDetailsForm form;
    bool applyEnabled = false;
    if (!OpenRoomDetails(form, applyEnabled)) {
        return false;
    }
    apply_->setEnabled(applyEnabled);
    roomtopic_->setText(DialogText(form.topic));
    roomkeycb_->setChecked(form.keyChecked);
    roomkey_->setText(DialogText(form.key));
    roommod_->setChecked(form.moderated);
    roomkeycbClick();
    result_ = 2;
    open_ = true;
    if (QWidget* main = DialogsMainWindow()) {
        main->setEnabled(false);
    }
    show();
    raise();
    return true;
}

void Tsbroomstats::roomkeycbClick() {
    roomkey_->setEnabled(roomkeycb_->isChecked());
}

void Tsbroomstats::applyClick() {
    result_ = 1;
    close();
}

void Tsbroomstats::cancelClick() {
    result_ = 2;
    close();
}

void Tsbroomstats::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    LogAndGoOn("FormClose", [this] { FormClose(); });
}

void Tsbroomstats::FormClose() {
    if (!open_) {
        return;
    }
    open_ = false;
    // The close box, Escape and both buttons all end here.
    if (QWidget* main = DialogsMainWindow()) {
        main->setEnabled(true);
    }
    if (result_ != 1) {
        return;
    }
    TRoomDetailsForm form;
    form.applied = true;
    form.topic = DialogBytes(roomtopic_->text());
    form.keyChecked = roomkeycb_->isChecked();
    form.key = DialogBytes(roomkey_->text());
    form.moderated = roommod_->isChecked();
    ApplyRoomDetails(form);
}

}  // namespace pk
