#include "skin/zrskinscript.h"

#include <set>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "skin/zrskincmd.h"
#include "skin/zrskinhost.h"
#include "skin/zrskinpaint.h"

namespace pk {

std::vector<std::string> SkinVars;

namespace {

int scriptDepth = 0;
int budgetScopes = 0;  // open ScriptBudgetScope objects
int budgetUsed = 0;    // lines run and elements visited by the event now dispatched
bool budgetLogged = false;
// The script errors shown since the theme was loaded: element, 0x01, line number.
std::set<std::string> shownErrors;

class DepthGuard {
public:
    DepthGuard() { ++scriptDepth; }
    ~DepthGuard() { --scriptDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};

std::string_view VarName(std::string_view line) {
    return line.substr(0, line.find('\x01'));
}

bool HasWildcard(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

void ScriptError(const TSkinElementRec& e, std::size_t lineNo, std::string_view event,
                 std::string_view action, std::string_view target) {
    const std::string text = ScriptErrorText(e.name, event, action, target);
    AddLogLine(text);
    // Each line tells its author once per theme load, while the log keeps every occurrence: a
    // script run by every mouse move must not bury the player under boxes.
    if (shownErrors.insert(e.skin->name + '\x01' + e.name + '\x01' + std::to_string(lineNo)).second)
        ShowSkinMessage(text);
}

// Takes one unit of the dispatched event's budget; false once it is spent, after one log line
// that names the script where it ran out.
bool SpendBudget(const TSkinElementRec& e, std::string_view event) {
    if (++budgetUsed <= kMaxScriptLines)
        return true;
    if (!budgetLogged)
        AddLogLine("Skin script of " + e.name + " stopped at \"" + std::string(event) +
                   "\": more than " + std::to_string(kMaxScriptLines) +
                   " lines run and elements visited");
    budgetLogged = true;
    return false;
}

void RunLine(TSkinElementRec& e, std::string_view event, std::string_view rest,
             std::size_t lineNo) {
    std::string action;
    std::string target;
    const std::size_t p = rest.find('\n');
    if (p != std::string_view::npos) {
        action = ExpandSkinVars(rest.substr(0, p));
        target = ExpandSkinVars(rest.substr(p + 1));
    } else {
        action = ExpandSkinVars(rest);
        target = e.name;
    }
    action = LowerCase(action);
    const bool negated = !action.empty() && action[0] == '!';
    if (negated)
        action.erase(0, 1);
    if (action.empty())
        return;
    if (action == "execute") {
        ExecuteCommand(target);
        return;
    }
    if (action == "url") {
        CommandHost().OpenUrl("http://" + target);
        return;
    }
    if (action[0] == '@') {
        SetSkinVar(std::string_view(action).substr(1), target);
        return;
    }
    if (HasWildcard(target)) {
        for (std::size_t s = 0; s < SkinList.size(); ++s) {
            tskinf& skin = *SkinList[s];
            for (std::size_t i = 0; i < skin.elements.size(); ++i) {
                // Every element a wildcard walks costs the event as a line does: a walk that
                // sets off further walks multiplies with the number of elements.
                if (!SpendBudget(e, event))
                    return;
                TSkinElementRec* t = skin.elements[i].get();
                if (negated && t == &e)
                    continue;
                if (WildMatch(target, t->name))
                    ApplyAction(action, *t, true);
            }
        }
        return;
    }
    TSkinElementRec* t = FindElementAnywhere(target);
    if (!t) {
        ScriptError(e, lineNo, event, action, target);
        return;
    }
    ApplyAction(action, *t, !(negated && t == &e));
}

}  // namespace

ScriptBudgetScope::ScriptBudgetScope() {
    if (budgetScopes++ == 0) {
        budgetUsed = 0;
        budgetLogged = false;
    }
}

ScriptBudgetScope::~ScriptBudgetScope() {
    --budgetScopes;
}

void SetSkinVar(std::string_view name, std::string_view value) {
    for (auto it = SkinVars.begin(); it != SkinVars.end(); ++it) {
        if (VarName(*it) != name)
            continue;
        if (value.empty()) {
            SkinVars.erase(it);
        } else {
            *it = std::string(name) + '\x01' + std::string(value);
        }
        return;
    }
    if (!value.empty())
        SkinVars.push_back(std::string(name) + '\x01' + std::string(value));
}

std::string GetSkinVar(std::string_view name) {
    for (const std::string& line : SkinVars) {
        if (VarName(line) == name) {
            const std::size_t sep = line.find('\x01');
            return sep == std::string::npos ? std::string() : line.substr(sep + 1);
        }
    }
    return {};
}

std::string ExpandSkinVars(std::string_view text) {
    std::string out;
    while (!text.empty()) {
        const std::size_t open = text.find('%');
        if (open == std::string_view::npos) {
            out.append(text);
            break;
        }
        out.append(text.substr(0, open));
        text.remove_prefix(open + 1);
        const std::size_t close = text.find('%');
        if (close == std::string_view::npos) {
            out.append(text);  // an unclosed "%" is dropped
            break;
        }
        out.append(GetSkinVar(LowerCase(text.substr(0, close))));
        text.remove_prefix(close + 1);
    }
    return out;
}

bool HasEvent(std::string_view event, const TSkinElementRec& e) {
    const std::string key = '\r' + LowerCase(event) + '\n';
    const std::string text = '\r' + e.source.SkinEventList + '\r';
    return text.find(key) != std::string::npos;
}

void RunElementEvent(std::string_view event, TSkinElementRec& e) {
    if (!HasEvent(event, e))
        return;
    if (scriptDepth >= kMaxScriptDepth) {
        AddLogLine("Skin script of " + e.name + " stopped at \"" + std::string(event) +
                   "\": scripts nested " + std::to_string(kMaxScriptDepth) + " deep");
        return;
    }
    ScriptBudgetScope budget;
    DepthGuard depth;
    SkinDispatchGuard guard;
    // A copy: the lines stay what they were while the actions run.
    const std::string text = e.source.SkinEventList;
    std::size_t start = 0;
    std::size_t lineNo = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\r', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line = std::string_view(text).substr(start, end - start);
        start = end + 1;
        ++lineNo;
        const std::size_t p = line.find('\n');
        if (p == std::string_view::npos || line.substr(0, p) != event)
            continue;
        if (!SpendBudget(e, event))
            return;
        RunLine(e, event, line.substr(p + 1), lineNo);
    }
}

void ApplyAction(std::string_view action, TSkinElementRec& e, bool fireEvents) {
    ScriptBudgetScope budget;
    SkinDispatchGuard guard;
    int event = -1;
    if (action == "activate") {
        event = seActivated;
        if (!e.active) {
            e.active = 1;
            if (e.visible)
                InvalidateElement(e);
        }
    } else if (action == "deactivate") {
        event = seDeactivated;
        if (e.active) {
            e.active = 0;
            InvalidateElement(e);
        }
    } else if (action == "show") {
        event = seShown;
        if (!e.visible) {
            e.visible = 1;
            if (e.active)
                InvalidateElement(e);
        }
    } else if (action == "hide") {
        event = seHidden;
        if (e.visible) {
            e.visible = 0;
            InvalidateElement(e);
        }
    }
    if (event >= 0) {
        skinevent(static_cast<uint8_t>(event), &e);
        skinevent(seUpdate, &e);
    }
    if (fireEvents)
        RunElementEvent("on" + std::string(action), e);
}

void FireSkinEvent(std::string_view name) {
    // One budget for the whole event, not one per element it runs on.
    ScriptBudgetScope budget;
    SkinDispatchGuard guard;
    const std::string event = LowerCase(name);
    for (std::size_t s = 0; s < SkinList.size(); ++s) {
        tskinf& skin = *SkinList[s];
        for (std::size_t i = 0; i < skin.elements.size(); ++i)
            RunElementEvent(event, *skin.elements[i]);
        PaintOrClearSkin(skin);
    }
}

void SetElementActive(const SkinForm* form, std::string_view name, bool active) {
    if (TSkinElementRec* e = FindElement(form, name))
        ApplyAction(active ? "activate" : "deactivate", *e, true);
}

void SetElementActiveNow(const SkinForm* form, std::string_view name, bool active) {
    SetElementActive(form, name, active);
    PaintDirtySkins();
}

std::string ScriptErrorText(std::string_view element, std::string_view event,
                            std::string_view action, std::string_view target) {
    return "Error! Skin: " + std::string(element) + " Event: " + std::string(event) +
           " Action: " + std::string(action) + " Target: " + std::string(target) + " not found!";
}

void ResetScriptErrors() {
    shownErrors.clear();
}

}  // namespace pk
