#pragma once
// The sort of a small dialog's list (the location list, the status list): the column and the
// direction, as clicks on the column headers change them. Both lists sort the same way, so
// they share this one rule.
#include <algorithm>

namespace pk {

struct TColumnSort {
    int column = 0;
    bool ascending = true;

    // A click on the current column flips the direction; another column, held within the
    // list's `columns`, sorts ascending.
    void Click(int clicked, int columns) {
        if (clicked == column) {
            ascending = !ascending;
        } else {
            column = std::clamp(clicked, 0, columns - 1);
            ascending = true;
        }
    }
    // The first column, ascending: how a list opens.
    void Reset() { *this = TColumnSort{}; }
};

}  // namespace pk
