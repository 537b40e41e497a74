#pragma once
// What the game-set editor's tests, its controls' and its window's, build alike: a game set
// for the round trips, with every bound check away from its default and every key made of
// parts (stacks, teams, description, piece chances) filled, so that a key lost or garbled on
// its way shows; and the names of every bound control.
#include <string>
#include <vector>

#include "core/zrgameset.h"
#include "gamesetup/zrgamesetform.h"

namespace pk::test {

inline TGameSet GameSetAwayFromDefaults() {
    TGameSet set;
    for (const auto& b : GameSetCheckBindings) {
        set.SetBool(b.key, set.GetBool(b.key) ? 0 : 1);
    }
    set.SetValue("maxp", "4");
    set.SetValue("stacks",
                 "1\x02"
                 "2\x02"
                 "3\x02"
                 "4\x02"
                 "5\x02"
                 "6");
    set.SetValue("teams",
                 "a\x02"
                 "b\x02\x02\x02\x02"
                 "f");
    set.SetValue("desc", "Line one\r\nLine two");
    set.SetValue("piecechance", "1122334567");
    return set;
}

// Every control bound to a key, by name, in the binding tables' order; a list's controls are
// numbered 1 to 6.
inline std::vector<std::string> BoundControlNames() {
    std::vector<std::string> controls;
    for (const auto& b : GameSetCheckBindings) {
        controls.emplace_back(b.control);
    }
    for (const auto& b : GameSetEditBindings) {
        controls.emplace_back(b.control);
    }
    for (const auto& b : GameSetTextBindings) {
        controls.emplace_back(b.control);
    }
    for (const auto& b : GameSetListBindings) {
        for (int n = 1; n <= 6; ++n) {
            controls.push_back(std::string(b.control) + std::to_string(n));
        }
    }
    return controls;
}

}  // namespace pk::test
