#pragma once
// A game set for the editor's round-trip tests, its controls' and its window's: every bound
// check away from its default and every key made of parts (stacks, teams, description, piece
// chances) filled, so that a key lost or garbled on its way shows.
#include <string>

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

}  // namespace pk::test
