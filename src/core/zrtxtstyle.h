#pragma once
// The chat text box's styled text: a line as the client receives it carries style codes, the
// byte 0x05 followed by two decimal digits (chatstyle.h). Each non-zero code opens a span:
// 01 bold, 02 italic, 03 underline, 10 to 25 one of sixteen colours, any other number a span
// that changes nothing. "00" ends the innermost span and brings back the style in force before
// it. A 0x05 not followed by two digits ends a span too, but only the byte itself is taken: the
// characters after it stay text. Spans still open at the end of the text end with it.
//
// Text is Windows-1252 bytes from servers and players: anything may arrive, and the parser
// takes every byte string without fault.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pk {

// Colours are 0x00BBGGRR. kFontColour means the box's own font colour.
inline constexpr int32_t kFontColour = -1;

struct TTextStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int32_t colour = kFontColour;
    bool operator==(const TTextStyle&) const = default;
};

// One piece of text in one style.
struct TStyledRun {
    std::string text;
    TTextStyle style;
    bool operator==(const TStyledRun&) const = default;
};

// The colour of code 10 to 25, or kFontColour for any other code.
int32_t StyleCodeColour(int code);

// The runs of one text in order, with empty pieces left out and neighbours of the same style
// joined. Line breaks (CR LF, CR or LF) stay inside the runs' text.
std::vector<TStyledRun> ParseStyledText(std::string_view text);

// The text without its style codes, as ParseStyledText reads them.
std::string PlainStyledText(std::string_view text);

}  // namespace pk
