#include "core/zrtxtstyle.h"

#include <array>

#include "core/chatstyle.h"

namespace pk {

namespace {

constexpr std::array<int32_t, 16> kCodeColours = {
    0x000000,  // 10 black
    0x000080,  // 11 maroon
    0x008000,  // 12 green
    0x008080,  // 13 olive
    0x800000,  // 14 navy
    0x800080,  // 15 purple
    0x808000,  // 16 teal
    0x808080,  // 17 grey
    0xC0C0C0,  // 18 silver
    0x0000FF,  // 19 red
    0x00FF00,  // 20 lime
    0x00FFFF,  // 21 yellow
    0xFF0000,  // 22 blue
    0xFF00FF,  // 23 fuchsia
    0xFFFF00,  // 24 aqua
    0xFFFFFF,  // 25 white
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The code after the 0x05 at `at`: its number, or -1 when the two characters after it are not
// both digits (then only the 0x05 is taken).
int CodeAt(std::string_view text, std::size_t at) {
    if (at + 2 >= text.size() || !IsDigit(text[at + 1]) || !IsDigit(text[at + 2]))
        return -1;
    return (text[at + 1] - '0') * 10 + (text[at + 2] - '0');
}

void Apply(TTextStyle& style, int code) {
    if (code == 1)
        style.bold = true;
    else if (code == 2)
        style.italic = true;
    else if (code == 3)
        style.underline = true;
    else if (const int32_t colour = StyleCodeColour(code); colour != kFontColour)
        style.colour = colour;
}

void Emit(std::vector<TStyledRun>& runs, std::string_view piece, const TTextStyle& style) {
    if (piece.empty())
        return;
    if (!runs.empty() && runs.back().style == style) {
        runs.back().text.append(piece);
        return;
    }
    runs.push_back({std::string(piece), style});
}

}  // namespace

int32_t StyleCodeColour(int code) {
    if (code < 10 || code > 25)
        return kFontColour;
    return kCodeColours[static_cast<std::size_t>(code - 10)];
}

std::vector<TStyledRun> ParseStyledText(std::string_view text) {
    std::vector<TStyledRun> runs;
    // The stack only grows with codes present in the text, so it is bounded by its length.
    std::vector<TTextStyle> stack;
    TTextStyle style;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t at = text.find(kStyleByte, pos);
        if (at == std::string_view::npos) {
            Emit(runs, text.substr(pos), style);
            break;
        }
        Emit(runs, text.substr(pos, at - pos), style);
        const int code = CodeAt(text, at);
        pos = at + (code < 0 ? 1 : 3);
        if (code > 0) {
            stack.push_back(style);
            Apply(style, code);
        } else if (!stack.empty()) {
            style = stack.back();
            stack.pop_back();
        }
    }
    return runs;
}

std::string PlainStyledText(std::string_view text) {
    std::string plain;
    for (const TStyledRun& run : ParseStyledText(text)) plain += run.text;
    return plain;
}

}  // namespace pk
