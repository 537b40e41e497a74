#pragma once
// The element handler of the widget layer (skinevent for every event but painting): controls
// and container windows bound to skin elements, and the key scripts.
//
// - A control (the login page's edits, the in-game chat box, chat edit and attack list, the
//   message-of-the-day page) is registered by its window under its element name. At binding it
//   is hidden, becomes a child of the form whose element binds it and takes the element's
//   colours; event 6 gives it the element's rectangle and shows it only while the element is
//   visible and active.
// - A container ("con_" + a skin name) is the skinned form registered under that skin name. At
//   binding it becomes a child of the element's form and takes its colours; event 0 places it,
//   2 and 4 show and raise it (when the element is visible and active), 3 and 5 hide it and
//   free its skin bitmaps. The form's ContainerShown/ContainerHidden add what each window
//   needs (the game thread for "con_game", the login edits' focus for "con_login").
// - A key pressed with Shift, Alt or Ctrl while a skinned form has the focus raises the skin's
//   key event, once per physical key (through the application's key filter); the key then
//   goes on to the focused control.
#include <QWidget>
#include <string>

#include "skin/zrskinhost.h"

namespace pk {

class TZRSkinForm;

class SkinWidgetEvents : public SkinEvents {
public:
    void BindElement(TSkinElementRec& element) override;
    void ElementEvent(uint8_t event, TSkinElementRec& element) override;
};

// Installs the handler and the key scripts; Remove puts the do-nothing ones back.
void InstallSkinWidgets();
void RemoveSkinWidgets();

// A window's control bound by the element of that name; nullptr removes it. The registry
// forgets a control when it is destroyed.
void RegisterSkinControl(const std::string& elementName, QWidget* control);
QWidget* SkinControl(const std::string& elementName);
bool IsSkinControl(const QWidget* control);
// The skinned form registered under a skin name.
TZRSkinForm* SkinFormNamed(const std::string& skinName);

// A colour parameter of a container element applied to one control of its window: the text
// colour, or the fill (which the control then paints itself). kNoColour leaves the control as
// it is.
void SetControlTextColour(QWidget& control, int32_t colour);
void SetControlFillColour(QWidget& control, int32_t colour);

// The key scripts' part of a key press: runs them when `focus` (or the active window) lies in
// a skinned form and a modifier is held.
void SkinKeyPress(int virtualKey, bool shift, bool ctrl, bool alt, QWidget* focus);

}  // namespace pk
