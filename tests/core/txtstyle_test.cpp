// Style codes of chat text: the spans they open and close, as the text box shows them.
#include <gtest/gtest.h>

#include "core/chatstyle.h"
#include "core/zrtxtlines.h"
#include "core/zrtxtstyle.h"

namespace pk {
namespace {

constexpr int32_t kRed = 0x0000FF;

TTextStyle Plain() {
    return {};
}
TTextStyle Coloured(int32_t colour, bool bold = false) {
    TTextStyle s;
    s.colour = colour;
    s.bold = bold;
    return s;
}

TEST(StyleCodes, ColourSpanEndsWithZeroZero) {
    const auto runs = ParseStyledText("abc" PK_STYLE "19red" PK_STYLE "00def");
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0], (TStyledRun{"abc", Plain()}));
    EXPECT_EQ(runs[1], (TStyledRun{"red", Coloured(kRed)}));
    EXPECT_EQ(runs[2], (TStyledRun{"def", Plain()}));
}

TEST(StyleCodes, SpansNestAndCloseInnermostFirst) {
    const auto runs = ParseStyledText(PK_STYLE "01" PK_STYLE "19x" PK_STYLE "00y" PK_STYLE "00z");
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0], (TStyledRun{"x", Coloured(kRed, true)}));
    EXPECT_EQ(runs[1], (TStyledRun{"y", Coloured(kFontColour, true)}));
    EXPECT_EQ(runs[2], (TStyledRun{"z", Plain()}));
}

TEST(StyleCodes, LoneByteEndsASpanAndLeavesWhatFollowsAsText) {
    const auto runs = ParseStyledText(PK_STYLE "02it" PK_STYLE "ab");
    ASSERT_EQ(runs.size(), 2u);
    TTextStyle italic;
    italic.italic = true;
    EXPECT_EQ(runs[0], (TStyledRun{"it", italic}));
    EXPECT_EQ(runs[1], (TStyledRun{"ab", Plain()}));
    // With no span open a lone byte changes nothing and disappears.
    EXPECT_EQ(PlainStyledText("a" PK_STYLE "b"), "ab");
    EXPECT_EQ(PlainStyledText(PK_STYLE), "");
}

TEST(StyleCodes, CutCodesAtTheEndAreTextNotCodes) {
    // One digit, or none, after the byte: only the byte goes.
    EXPECT_EQ(PlainStyledText("abc" PK_STYLE "1"), "abc1");
    EXPECT_EQ(PlainStyledText("abc" PK_STYLE), "abc");
    // A code that uses the last two bytes is whole.
    const auto runs = ParseStyledText("abc" PK_STYLE "03");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, "abc");
    // Signs and blanks are not digits.
    EXPECT_EQ(PlainStyledText(PK_STYLE "-1x"), "-1x");
    EXPECT_EQ(PlainStyledText(PK_STYLE " 1x"), " 1x");
}

TEST(StyleCodes, BoldItalicUnderlineAccumulate) {
    const auto runs = ParseStyledText(PK_STYLE "01" PK_STYLE "02" PK_STYLE "03all" PK_STYLE "00bi");
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_TRUE(runs[0].style.bold && runs[0].style.italic && runs[0].style.underline);
    EXPECT_TRUE(runs[1].style.bold && runs[1].style.italic && !runs[1].style.underline);
}

TEST(StyleCodes, EveryColourCodeAndTheNumbersThatChangeNothing) {
    const int32_t colours[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                 0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF,
                                 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (int code = 10; code <= 25; ++code) {
        const std::string digits = std::to_string(code);
        const auto runs = ParseStyledText(StyleCode(digits) + "c" + kStyleEnd + "d");
        ASSERT_EQ(runs.size(), 2u) << code;
        EXPECT_EQ(runs[0].style.colour, colours[code - 10]) << code;
        EXPECT_EQ(runs[1].style, Plain()) << code;
    }
    // 04..09 and 26..99 open a span that changes nothing, so "00" after them closes that
    // span, not the colour around it.
    for (int code : {4, 9, 26, 99}) {
        const std::string digits = (code < 10 ? "0" : "") + std::to_string(code);
        const auto runs =
            ParseStyledText(PK_STYLE "19a" + StyleCode(digits) + "b" + kStyleEnd + "c");
        ASSERT_EQ(runs.size(), 1u) << code;
        EXPECT_EQ(runs[0], (TStyledRun{"abc", Coloured(kRed)})) << code;
    }
}

TEST(StyleCodes, OpenSpansEndWithTheText) {
    TTextLines lines(10);
    lines.AddLine(PK_STYLE "01" PK_STYLE "19bold red");
    lines.AddLine("next");
    ASSERT_EQ(lines.Count(), 2u);
    EXPECT_TRUE(lines.Line(0).runs[0].style.bold);
    ASSERT_EQ(lines.Line(1).runs.size(), 1u);
    EXPECT_EQ(lines.Line(1).runs[0].style, Plain());
}

TEST(TextLines, FirstLineHasNoBreakAndBreaksMakeLines) {
    TTextLines lines(10);
    EXPECT_EQ(lines.AddLine("one"), 1u);
    EXPECT_EQ(lines.AddLine("two\r\nthree\nfour\rfive"), 4u);
    ASSERT_EQ(lines.Count(), 5u);
    EXPECT_EQ(lines.Line(0).plain, "one");
    EXPECT_EQ(lines.Line(4).plain, "five");
    // A style crosses the break.
    lines.AddLine(PK_STYLE "19a\r\nb");
    EXPECT_EQ(lines.Line(6).runs[0].style.colour, kRed);
    // An empty text is an empty line.
    lines.AddLine("");
    EXPECT_EQ(lines.Line(7).plain, "");
}

TEST(TextLines, KeepsTheNewestLinesUnderAFlood) {
    TTextLines lines(5);
    for (int i = 0; i < 12; ++i) lines.AddLine("line " + std::to_string(i));
    ASSERT_EQ(lines.Count(), 5u);
    EXPECT_EQ(lines.Line(0).plain, "line 7");
    EXPECT_EQ(lines.Line(4).plain, "line 11");
    EXPECT_EQ(lines.LastDropped(), 1u);
    // One text with more lines than the cap keeps its last ones.
    std::string many;
    for (int i = 0; i < 9; ++i) many += "m" + std::to_string(i) + "\n";
    lines.AddLine(many + "end");
    EXPECT_EQ(lines.Count(), 5u);
    EXPECT_EQ(lines.Line(0).plain, "m5");
    EXPECT_EQ(lines.Line(4).plain, "end");
    EXPECT_EQ(lines.LastDropped(), 5u);
}

TEST(TextLines, SelectedTextJoinsLinesInEitherOrder) {
    TTextLines lines(10);
    lines.AddLine("hello world");
    lines.AddLine(PK_STYLE "01second" PK_STYLE "00 line");
    EXPECT_EQ(lines.TextBetween(0, 6, 1, 6), "world\nsecond");
    EXPECT_EQ(lines.TextBetween(1, 6, 0, 6), "world\nsecond");
    EXPECT_EQ(lines.TextBetween(0, 0, 9, 0), "hello world\nsecond line");
    EXPECT_EQ(lines.TextBetween(5, 0, 9, 0), "");
    lines.AppendToLast("!");
    EXPECT_EQ(lines.Line(1).plain, "second line!");
}

TEST(Scrolling, FollowsTheBottomOnlyWhenNearIt) {
    // 10 visible, 30 lines before the add.
    EXPECT_EQ(FollowBottom(31, 1, 20, 10), 21);  // at the bottom: follows
    EXPECT_EQ(FollowBottom(31, 1, 17, 10), 21);  // three lines up: still follows
    EXPECT_EQ(FollowBottom(31, 1, 10, 10), 10);  // ten lines up: stays put
    // Several lines of one call are followed like one.
    EXPECT_EQ(FollowBottom(38, 8, 20, 10), 28);
    // Fewer lines than the box shows: nothing to scroll.
    EXPECT_EQ(FollowBottom(5, 1, 0, 10), 0);
    EXPECT_EQ(StayAtBottomLine(30, 4, 10), 20);
    EXPECT_EQ(StayAtBottomLine(5, 0, 10), 0);
    EXPECT_EQ(AfterDrop(10, 3), 7);
    EXPECT_EQ(AfterDrop(2, 3), 0);
}

}  // namespace
}  // namespace pk
