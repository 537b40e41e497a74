#include "room/ui/zrroomtoolbar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <initializer_list>

#include "platform/cp1252.h"
#include "room/ui/zrgextrasform.h"
#include "room/ui/zrroomguard.h"
#include "room/zrpartyline.h"

namespace pk {

namespace {

QToolButton* ToolButton(QWidget* parent, const char* name) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoRaise(true);
    b->setFixedSize(22, 22);
    return b;
}

QLabel* Caption(QWidget* parent, const char* name, const char* text) {
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

}  // namespace

TRoomToolBar::TRoomToolBar(QWidget* parent, QWidget& form) : QWidget(parent), form_(form) {
    setObjectName(QStringLiteral("chattbpanel"));
    // Panels keep the button face under their captions, so they read on any theme.
    setAutoFillBackground(true);
    auto* bar = new QHBoxLayout(this);
    bar->setContentsMargins(2, 0, 2, 0);
    bar->setSpacing(2);
    changesettings_ = ToolButton(this, "changesettings");
    gscaption_ = Caption(this, "gscaption", "Modify Game Settings");
    editextras_ = ToolButton(this, "editextras");
    editcaption_ = Caption(this, "editcaption", "Edit MOTD/Ban List");
    showstats_ = ToolButton(this, "showstats");
    statscaption_ = Caption(this, "statscaption", "Show Stats");
    for (QWidget* w : std::initializer_list<QWidget*>{changesettings_, gscaption_, editextras_,
                                                      editcaption_, showstats_, statscaption_})
        bar->addWidget(w);
    bar->addStretch(1);
    connect(changesettings_, &QToolButton::clicked, this,
            [this] { PK_ROOM_HANDLER(changesettingsClick); });
    connect(editextras_, &QToolButton::clicked, this, [this] { PK_ROOM_HANDLER(editextrasClick); });
}

void TRoomToolBar::changesettingsClick() {
    OpenRoomGameSet();
}

void TRoomToolBar::editextrasClick() {
    Tzrextras::ShowExtras(&form_);
}

void TRoomToolBar::SetIcon(std::string_view target, const QIcon& icon) {
    if (target == "changesettings")
        changesettings_->setIcon(icon);
    else if (target == "editextras")
        editextras_->setIcon(icon);
    else if (target == "showstats")
        showstats_->setIcon(icon);
}

void TRoomToolBar::SetGameSetCaption(const std::string& text) {
    gscaption_->setText(Cp1252ToQString(text));
}

}  // namespace pk
