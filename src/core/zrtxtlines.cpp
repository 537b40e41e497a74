#include "core/zrtxtlines.h"

#include <algorithm>

namespace pk {

namespace {

bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

}  // namespace

std::vector<TTextLine> SplitStyledLines(std::string_view text) {
    std::vector<TTextLine> lines(1);
    bool afterCr = false;
    for (const TStyledRun& run : ParseStyledText(text)) {
        std::string piece;
        auto flush = [&] {
            if (piece.empty())
                return;
            TTextLine& line = lines.back();
            if (!line.runs.empty() && line.runs.back().style == run.style)
                line.runs.back().text += piece;
            else
                line.runs.push_back({piece, run.style});
            line.plain += piece;
            piece.clear();
        };
        for (const char c : run.text) {
            if (!IsBreak(c)) {
                afterCr = false;
                piece += c;
                continue;
            }
            // The LF of a CR LF pair ends nothing more.
            if (c == '\n' && afterCr) {
                afterCr = false;
                continue;
            }
            afterCr = c == '\r';
            flush();
            lines.emplace_back();
        }
        flush();
    }
    return lines;
}

TTextLines::TTextLines(std::size_t maxLines) : maxLines_(std::max<std::size_t>(maxLines, 1)) {}

std::size_t TTextLines::AddLine(std::string_view text) {
    std::vector<TTextLine> added = SplitStyledLines(text);
    // A flood in one call keeps only what fits.
    std::size_t skip = added.size() > maxLines_ ? added.size() - maxLines_ : 0;
    lastDropped_ = 0;
    for (std::size_t i = skip; i < added.size(); ++i) lines_.push_back(std::move(added[i]));
    while (lines_.size() > maxLines_) {
        lines_.pop_front();
        ++lastDropped_;
    }
    return added.size() - skip;
}

void TTextLines::AppendToLast(std::string_view text) {
    lastDropped_ = 0;
    if (lines_.empty())
        lines_.emplace_back();
    TTextLine& line = lines_.back();
    if (text.empty())
        return;
    if (!line.runs.empty() && line.runs.back().style == TTextStyle{})
        line.runs.back().text.append(text);
    else
        line.runs.push_back({std::string(text), TTextStyle{}});
    line.plain.append(text);
}

void TTextLines::Clear() {
    lines_.clear();
    lastDropped_ = 0;
}

std::string TTextLines::TextBetween(std::size_t line1, std::size_t offset1, std::size_t line2,
                                    std::size_t offset2) const {
    if (lines_.empty())
        return {};
    if (line2 < line1 || (line2 == line1 && offset2 < offset1)) {
        std::swap(line1, line2);
        std::swap(offset1, offset2);
    }
    const std::size_t last = lines_.size() - 1;
    if (line1 > last)
        return {};
    if (line2 > last) {
        line2 = last;
        offset2 = lines_[last].plain.size();
    }
    std::string text;
    for (std::size_t i = line1; i <= line2; ++i) {
        const std::string& plain = lines_[i].plain;
        const std::size_t from = i == line1 ? std::min(offset1, plain.size()) : 0;
        const std::size_t to = i == line2 ? std::min(offset2, plain.size()) : plain.size();
        if (to > from)
            text.append(plain, from, to - from);
        if (i != line2)
            text += '\n';
    }
    return text;
}

int FollowBottom(int lineCount, int added, int firstVisible, int visibleCount) {
    if (visibleCount < 0 || lineCount < visibleCount)
        return firstVisible;
    // Measured as if the call had added one line: within five lines of the end it left.
    const int countAsOne = lineCount - std::max(added, 1) + 1;
    if (firstVisible + visibleCount > countAsOne - 5)
        return std::max(lineCount - visibleCount, 0);
    return firstVisible;
}

int StayAtBottomLine(int lineCount, int firstVisible, int visibleCount) {
    if (visibleCount < 0 || lineCount < visibleCount)
        return firstVisible;
    return std::max(lineCount - visibleCount, 0);
}

int AfterDrop(int firstVisible, int dropped) {
    return std::max(firstVisible - dropped, 0);
}

}  // namespace pk
