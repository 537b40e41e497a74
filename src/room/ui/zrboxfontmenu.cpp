#include "room/ui/zrboxfontmenu.h"

#include <QFontDialog>

#include "room/ui/zrroomguard.h"

namespace pk {

TBoxFontMenu::TBoxFontMenu(QWidget* parent, const char* name, const char* changeName,
                           const char* defaultName, std::vector<QWidget*> boxes,
                           QWidget& dialogParent, std::function<void()> changed)
    : QMenu(parent),
      boxes_(std::move(boxes)),
      dialogParent_(dialogParent),
      changed_(std::move(changed)) {
    setObjectName(QString::fromLatin1(name));
    AddGuardedAction(*this, changeName, "Change Font...", [this] { changefontClick(); });
    AddGuardedAction(*this, defaultName, "Restore Default Font", [this] { defaultfontClick(); });
}

void TBoxFontMenu::changefontClick() {
    QWidget& target = *boxes_.front();
    QFont font = target.font();
    bool chosen = false;
    if (picker_)
        chosen = picker_(font);
    else
        font = QFontDialog::getFont(&chosen, target.font(), &dialogParent_, QStringLiteral("Font"),
                                    QFontDialog::ScalableFonts | QFontDialog::NonScalableFonts);
    if (!chosen)
        return;
    for (QWidget* box : boxes_) box->setFont(font);
    fontSet_ = true;
    if (changed_)
        changed_();
}

void TBoxFontMenu::defaultfontClick() {
    for (QWidget* box : boxes_) {
        box->setFont(QFont());
        box->setAttribute(Qt::WA_SetFont, false);
    }
    fontSet_ = false;
    if (changed_)
        changed_();
}

void TBoxFontMenu::SetChosenFont(const QFont& font) {
    boxes_.front()->setFont(font);
    for (std::size_t i = 1; i < boxes_.size(); ++i) boxes_[i]->setFont(boxes_.front()->font());
    fontSet_ = true;
}

QFont TBoxFontMenu::ChosenFont() const {
    return boxes_.front()->font();
}

}  // namespace pk
