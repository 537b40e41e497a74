#pragma once
// The chat text box's content, headless: the lines added so far as styled runs, at most
// TextBoxMaxLines of them (the oldest go first), and the scrolling rules the box keeps. The
// widget (core/ui/zrtxtbox.h) lays the lines out and paints them; everything here works on
// logical lines, each of which the widget may wrap into several display lines.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "core/zrtxtstyle.h"

namespace pk {

struct TTextLine {
    std::vector<TStyledRun> runs;
    std::string plain;  // the runs' text joined
};

class TTextLines {
public:
    explicit TTextLines(std::size_t maxLines);

    // Appends a text as one line, or as several when it holds line breaks (CR LF, CR or LF).
    // Returns how many lines were added. The style starts afresh with each call.
    std::size_t AddLine(std::string_view text);
    // Appends plain text to the last line in the font's style (a first line when there is none).
    void AppendToLast(std::string_view text);
    void Clear();

    std::size_t Count() const { return lines_.size(); }
    const TTextLine& Line(std::size_t index) const { return lines_[index]; }
    // How many of the oldest lines the last AddLine dropped to stay within the cap.
    std::size_t LastDropped() const { return lastDropped_; }
    std::size_t MaxLines() const { return maxLines_; }

    // The plain text between two positions (line, byte offset), lines joined with "\n". The
    // positions may come in either order; out-of-range ones are clamped.
    std::string TextBetween(std::size_t line1, std::size_t offset1, std::size_t line2,
                            std::size_t offset2) const;

private:
    std::deque<TTextLine> lines_;
    std::size_t maxLines_;
    std::size_t lastDropped_ = 0;
};

// Splits a styled text into its lines at CR LF, CR or LF, each line keeping its runs' styles.
std::vector<TTextLine> SplitStyledLines(std::string_view text);

// The first visible line after `added` display lines came in at the bottom, with `lineCount`
// lines now: a view whose bottom was within five lines of the old end moves to show the new
// end; a reader scrolled further up keeps his place. The lines of one call count as one for the
// distance, so a long or wrapped text is followed like a short one.
int FollowBottom(int lineCount, int added, int firstVisible, int visibleCount);

// The first visible line that keeps the last line at the bottom (a resize of a box that stays
// at the bottom); unchanged while the lines do not fill the box.
int StayAtBottomLine(int lineCount, int firstVisible, int visibleCount);

// The first line after `dropped` lines left the top, keeping the same text in view.
int AfterDrop(int firstVisible, int dropped);

}  // namespace pk
