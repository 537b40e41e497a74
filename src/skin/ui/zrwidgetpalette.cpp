#include "skin/ui/zrwidgetpalette.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QWidget>

#include "core/zrcolour.h"
#include "core/zrlog.h"
#include "skin/ui/zrskinform.h"
#include "skin/ui/zrskinwidgets.h"

namespace pk {

namespace {

// A box this layer framed keeps here the palette it had before, to go back to (or true for a
// control whose colours its skin element gives).
constexpr char kBoxPaletteProperty[] = "pkSkinBoxPalette";

QColor ToQColor(int32_t colour) {
    return QColor(ColourRed(colour), ColourGreen(colour), ColourBlue(colour));
}

// Every box of a themed window takes a plain frame in the edges' colour and the box palette;
// a control that a skin element binds keeps the colours that element gives it. Pop-up lists
// belong to their pop-up.
void FrameBoxes(QWidget& window, const SkinPalette& palette) {
    QList<QAbstractScrollArea*> boxes = window.findChildren<QAbstractScrollArea*>();
    if (auto* self = qobject_cast<QAbstractScrollArea*>(&window))
        boxes.append(self);
    const QPalette boxPalette = ToQPalette(BoxPalette(palette));
    for (QAbstractScrollArea* box : boxes) {
        const QVariant before = box->property(kBoxPaletteProperty);
        const bool ownColours = IsSkinControl(box);
        if (palette.themed) {
            if (!before.isValid()) {
                if (box->window() != window.window() || box->frameShape() != QFrame::StyledPanel)
                    continue;
                box->setProperty(kBoxPaletteProperty,
                                 ownColours ? QVariant(true) : QVariant::fromValue(box->palette()));
                box->setFrameStyle(QFrame::Box | QFrame::Plain);
                box->setLineWidth(1);
                box->setForegroundRole(QPalette::Mid);
            }
            if (!ownColours)
                box->setPalette(boxPalette);
        } else if (before.isValid()) {
            if (before.userType() == QMetaType::QPalette)
                box->setPalette(before.value<QPalette>());
            box->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            box->setForegroundRole(QPalette::NoRole);
            box->setProperty(kBoxPaletteProperty, QVariant());
        }
    }
}

class DialogPaletteFollower : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            ReportErrors("DialogPalette", [&] {
                ApplySkinPalette(*static_cast<QWidget*>(watched), DialogPalette());
            });
        }
        return false;
    }
};

}  // namespace

QPalette ToQPalette(const SkinPalette& p) {
    QPalette q;
    const std::pair<QPalette::ColorRole, int32_t> roles[] = {
        {QPalette::Window, p.window},
        {QPalette::WindowText, p.windowText},
        {QPalette::Base, p.base},
        {QPalette::AlternateBase, p.alternateBase},
        {QPalette::Text, p.text},
        {QPalette::PlaceholderText, p.placeholderText},
        {QPalette::Button, p.button},
        {QPalette::ButtonText, p.buttonText},
        {QPalette::BrightText, p.brightText},
        {QPalette::Light, p.light},
        {QPalette::Midlight, p.midlight},
        {QPalette::Mid, p.mid},
        {QPalette::Dark, p.dark},
        {QPalette::Shadow, p.shadow},
        {QPalette::Highlight, p.highlight},
        {QPalette::HighlightedText, p.highlightedText},
        {QPalette::Link, p.link},
        {QPalette::LinkVisited, p.linkVisited},
        {QPalette::ToolTipBase, p.toolTipBase},
        {QPalette::ToolTipText, p.toolTipText},
    };
    for (const auto& [role, colour] : roles) q.setColor(role, ToQColor(colour));
    q.setColor(QPalette::Disabled, QPalette::WindowText, ToQColor(p.disabledWindowText));
    q.setColor(QPalette::Disabled, QPalette::Text, ToQColor(p.disabledText));
    q.setColor(QPalette::Disabled, QPalette::ButtonText, ToQColor(p.disabledButtonText));
    return q;
}

void ApplySkinPalette(QWidget& window, const SkinPalette& palette) {
    const QPalette q = palette.themed ? ToQPalette(palette) : QPalette();
    window.setPalette(q);
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (child->isWindow())
            child->setPalette(q);
    }
    FrameBoxes(window, palette);
}

void FollowDialogPalette(QWidget& dialog) {
    dialog.installEventFilter(new DialogPaletteFollower(&dialog));
}

}  // namespace pk
