// Skin scripts: the event lists of skin elements, the actions they apply to target elements,
// and the skin variables their texts expand.
//
// An element's event text is lines separated by CR; a line is an event name, LF, an action,
// and optionally LF and a target (default: the element itself). Event names are compared
// exactly, so scripts use lower case. Actions: "execute" runs a command with the target's
// text, "url" opens "http://" + the target, "@name" sets a skin variable, and any other word
// is applied to the target element(s) (`ApplyAction`): "activate", "deactivate", "show" and
// "hide" change the element, and every word then runs the target's "on" + word script. A
// leading "!" on the action leaves the running element out of a wildcard target, or runs the
// action on the element itself without its "on" + word script. %name% in actions and targets
// is replaced by the skin variable's value.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "skin/zrskin.h"

namespace pk {

// Lines "name" 0x01 "value", names lower-cased by the callers.
extern std::vector<std::string> SkinVars;

// Scripts that call scripts stop at this depth (a line in the log says where).
inline constexpr int kMaxScriptDepth = 32;
// One dispatched event (a skin event fired at every element, a key, a mouse event, an action
// applied from outside the scripts) runs at most this many script lines and wildcard visits of
// elements together, those of the scripts it sets off included: a wildcard action in a script
// its own targets run again would otherwise multiply at every level and with every element.
inline constexpr int kMaxScriptLines = 20000;

// Opened by every way into the scripts; the outermost one starts the budget of kMaxScriptLines
// afresh, the ones inside it share it.
class ScriptBudgetScope {
public:
    ScriptBudgetScope();
    ~ScriptBudgetScope();
    ScriptBudgetScope(const ScriptBudgetScope&) = delete;
    ScriptBudgetScope& operator=(const ScriptBudgetScope&) = delete;
};

void SetSkinVar(std::string_view name, std::string_view value);
std::string GetSkinVar(std::string_view name);
std::string ExpandSkinVars(std::string_view text);

bool HasEvent(std::string_view event, const TSkinElementRec& element);
void RunElementEvent(std::string_view event, TSkinElementRec& element);
void ApplyAction(std::string_view action, TSkinElementRec& element, bool fireEvents);

// Runs the event on every element of every skin, then paints each dirty skin (or clears its
// dirty flag when its form is hidden) unless it is being painted.
void FireSkinEvent(std::string_view name);

// "activate" or "deactivate" on the form's element of that name, with its events; nothing when
// there is no such element. The Now form paints every dirty skin at once.
void SetElementActive(const SkinForm* form, std::string_view name, bool active);
void SetElementActiveNow(const SkinForm* form, std::string_view name, bool active);

// The text of the message box for a script line whose target names no element.
std::string ScriptErrorText(std::string_view element, std::string_view event,
                            std::string_view action, std::string_view target);
// Forgets which script errors were shown (each shows once per theme load).
void ResetScriptErrors();

}  // namespace pk
