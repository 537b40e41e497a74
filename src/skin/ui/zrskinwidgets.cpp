#include "skin/ui/zrskinwidgets.h"

#include <QApplication>
#include <QPointer>
#include <QWindow>
#include <map>

#include "core/zrlog.h"
#include "platform/keyfilter.h"
#include "skin/ui/zrskinform.h"
#include "skin/ui/zrwidgetpalette.h"
#include "skin/zrskin.h"
#include "skin/zrskininput.h"
#include "skin/zrskintable.h"

namespace pk {

namespace {

SkinWidgetEvents widgetEvents;
std::map<std::string, QPointer<QWidget>> controls;

QColor ColourOf(int32_t colour) {
    const auto c = static_cast<uint32_t>(colour);
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

TZRSkinForm* ElementForm(const TSkinElementRec& e) {
    return e.skin ? dynamic_cast<TZRSkinForm*>(e.skin->form) : nullptr;
}

// The window a container element stands for, once it sits in the element's form.
TZRSkinForm* BoundContainer(const TSkinElementRec& e) {
    TZRSkinForm* c = SkinFormNamed(std::string(ContainerSkinName(e.name)));
    TZRSkinForm* form = ElementForm(e);
    return c && form && c->parentWidget() == form ? c : nullptr;
}

void SetColours(QWidget& w, int32_t background, int32_t font) {
    QPalette palette = w.palette();
    const QColor bg = ColourOf(background);
    const QColor fg = ColourOf(font);
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, bg);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, fg);
    w.setPalette(palette);
}

int32_t BackgroundOf(const TSkinElementRec& e) {
    return e.source.backColour >= 0 ? (e.source.backColour & 0xFFFFFF) : kColourWhite;
}

void BindControl(TSkinElementRec& e, const SkinKindRow& row) {
    QWidget* w = SkinControl(e.name);
    if (!w)
        return;
    w->hide();
    if (e.kind == skMotdPage)
        return;  // stays on its own page; only placed and shown by its element
    TZRSkinForm* form = ElementForm(e);
    if (!form || w == form || w->isAncestorOf(form))
        return;
    w->setParent(form);
    const int32_t font = row.colours.empty() ? kColourBlack
                                             : ParseColor(GetElementParam(e, row.colours[0].name),
                                                          row.colours[0].defaultColour);
    SetColours(*w, BackgroundOf(e), font);
}

void BindContainer(TSkinElementRec& e, const SkinKindRow& row) {
    TZRSkinForm* c = SkinFormNamed(std::string(ContainerSkinName(e.name)));
    TZRSkinForm* form = ElementForm(e);
    if (!c || !form)
        return;
    // A window placed inside itself, or inside one of its own pages, would make the widget
    // tree a loop.
    if (c == form || c->isAncestorOf(form)) {
        AddLogLine("Skin element " + e.name + " of " + e.skin->name +
                   " would place a window inside itself; not bound");
        return;
    }
    if (c->parentWidget() != form) {
        c->hide();
        c->setParent(form);
    }
    c->SetFormColour(BackgroundOf(e));
    // The palette first: the colours of single controls below stand over it.
    ApplySkinPalette(*c, ContainerPalette(e));
    SkinColours colours;
    for (const SkinColourParam& p : row.colours)
        colours.emplace_back(p.name, ParseColor(GetElementParam(e, p.name), p.defaultColour));
    c->ApplySkinColours(colours);
}

}  // namespace

void SetControlTextColour(QWidget& control, int32_t colour) {
    if (colour == kNoColour)
        return;
    QPalette palette = control.palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, ColourOf(colour));
    control.setPalette(palette);
}

void SetControlFillColour(QWidget& control, int32_t colour) {
    if (colour == kNoColour)
        return;
    QPalette palette = control.palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, ColourOf(colour));
    control.setPalette(palette);
    control.setAutoFillBackground(true);
}

void SkinWidgetEvents::BindElement(TSkinElementRec& e) {
    const SkinKindRow* row = SkinKindRowOf(e.kind);
    if (!row)
        return;
    if (row->kindClass == SkinClass::Control)
        BindControl(e, *row);
    else if (row->kindClass == SkinClass::Container)
        BindContainer(e, *row);
}

void SkinWidgetEvents::ElementEvent(uint8_t event, TSkinElementRec& e) {
    if (e.kindClass == SkinClass::Control) {
        if (event != seUpdate)
            return;
        QWidget* w = SkinControl(e.name);
        if (!w)
            return;
        w->setGeometry(e.rect.left, e.rect.top, std::max(e.rect.width, 0),
                       std::max(e.rect.height, 0));
        w->setVisible(e.Shown());
        return;
    }
    if (e.kindClass != SkinClass::Container)
        return;
    TZRSkinForm* c = BoundContainer(e);
    if (!c)
        return;
    switch (event) {
        case seLayout:
            c->setGeometry(e.rect.left, e.rect.top, std::max(e.rect.width, 0),
                           std::max(e.rect.height, 0));
            break;
        case seActivated:
        case seShown:
            if (!e.Shown())
                break;
            c->show();
            c->raise();
            c->ContainerShown();
            break;
        case seDeactivated:
        case seHidden:
            c->hide();
            FreeFormSkinBitmaps(c);
            c->ContainerHidden();
            break;
        default:
            break;
    }
}

void RegisterSkinControl(const std::string& elementName, QWidget* control) {
    if (control)
        controls[elementName] = control;
    else
        controls.erase(elementName);
}

QWidget* SkinControl(const std::string& elementName) {
    const auto it = controls.find(elementName);
    return it == controls.end() ? nullptr : it->second.data();
}

bool IsSkinControl(const QWidget* control) {
    for (const auto& [name, registered] : controls) {
        if (registered.data() == control)
            return true;
    }
    return false;
}

TZRSkinForm* SkinFormNamed(const std::string& skinName) {
    tskinf* skin = FindSkinByName(skinName);
    return skin ? dynamic_cast<TZRSkinForm*>(skin->form) : nullptr;
}

void SkinKeyPress(int virtualKey, bool shift, bool ctrl, bool alt, QWidget* focus) {
    if (virtualKey == 0 || !(shift || ctrl || alt))
        return;
    if (!focus)
        focus = QApplication::activeWindow();
    bool skinned = false;
    for (QWidget* w = focus; w && !skinned; w = w->parentWidget())
        skinned = dynamic_cast<TZRSkinForm*>(w) != nullptr;
    if (!skinned)
        return;  // a plain dialog's keys are its own
    ReportErrors("SkinKeyEvent", [&] {
        SkinShiftState state;
        state.shift = shift;
        state.ctrl = ctrl;
        state.alt = alt;
        SkinKeyEvent(virtualKey, state);
    });
}

void InstallSkinWidgets() {
    SetSkinEvents(&widgetEvents);
    SetKeyPressListener([](const KeyPressInfo& key) {
        // The key goes to the focused widget of the window it reached.
        QWidget* focus = QApplication::focusWidget();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (key.window && top->windowHandle() == key.window) {
                focus = top->focusWidget() ? top->focusWidget() : top;
                break;
            }
        }
        SkinKeyPress(key.virtualKey, key.shift, key.ctrl, key.alt, focus);
    });
}

void RemoveSkinWidgets() {
    SetKeyPressListener({});
    SetSkinEvents(nullptr);
}

}  // namespace pk
