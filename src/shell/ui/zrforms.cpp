#include "shell/ui/zrforms.h"

#include "skin/ui/zrskinwidgets.h"

namespace pk {

Tzrtitle::Tzrtitle(QWidget* parent) : TZRSkinForm("login", parent) {}

void Tzrtitle::ContainerShown() {
    if (isVisible())
        FocusLoginEdits();
    else
        focusPending_ = true;
}

void Tzrtitle::showEvent(QShowEvent* event) {
    TZRSkinForm::showEvent(event);
    if (focusPending_)
        FocusLoginEdits();
}

void Tzrtitle::FocusLoginEdits() {
    focusPending_ = false;
    // The first login edit that shows; the page itself without one.
    QWidget* name = SkinControl("accountname");
    QWidget* password = SkinControl("accountpassword");
    for (QWidget* edit : {name, password}) {
        if (edit && edit->isVisible() && edit->isEnabled()) {
            edit->setFocus();
            return;
        }
    }
    setFocus();
}

}  // namespace pk
