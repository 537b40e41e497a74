#include "game/ui/zrforms.h"

#include "game/zrgame.h"
#include "game/zrgamethread.h"
#include "skin/ui/zrskinwidgets.h"
#include "skin/zrskinscript.h"

namespace pk {

Tzrgame::Tzrgame(QWidget* parent) : TZRSkinForm("game", parent) {
    SetFormColour(0xFFFFFF);
    resize(528, 422);
    msgbox_ = new QLineEdit(this);
    msgbox_->setEnabled(false);
    msgbox_->hide();
    RegisterSkinControl("chateditbox", msgbox_);
}

void Tzrgame::ContainerShown() {
    if (GameThread && GameThread->Suspended())
        GameThread->Resume();
}

void Tzrgame::ContainerHidden() {
    if (GameThread && !ClientState.game.GameRunning)
        GameThread->Suspend();
    if (msgbox_->isEnabled()) {
        msgbox_->setEnabled(false);
        SetElementActive(this, "chateditbox", false);
    }
}

}  // namespace pk
