#pragma once
// A text cut into its lines. The texts the client splits come from two places with two
// habits: what a user edits in a window may break lines anyhow and keeps every line it shows,
// an empty last one included; a list kept one entry a line in a file ends each line with a
// break. One routine serves both, told which habit the text has.
#include <string>
#include <string_view>
#include <vector>

namespace pk {

enum class LineBreaks {
    // CR LF, LF and a lone CR each separate two lines, and the text after the last break is a
    // line even when empty: "a\r\n" is "a" and an empty line, so an edited text that ends in
    // an empty line keeps it.
    AnySeparates,
    // Each line ends at LF, and one CR before that LF (or before the text's end) ends with it;
    // a lone CR elsewhere is a character of the line. The final break opens no line:
    // "a\r\nb\r\n" is "a" and "b".
    LfEnds,
};

// The empty text has no lines under either habit.
std::vector<std::string> SplitLines(std::string_view text,
                                    LineBreaks breaks = LineBreaks::AnySeparates);

}  // namespace pk
