#include "core/zrlines.h"

namespace pk {

std::vector<std::string> SplitLines(std::string_view text, LineBreaks breaks) {
    const bool anyBreak = breaks == LineBreaks::AnySeparates;
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\n' && !(anyBreak && c == '\r')) {
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < text.size() || (anyBreak && !text.empty())) {
        lines.emplace_back(text.substr(start));
    }
    if (!anyBreak) {
        for (std::string& line : lines) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
        }
    }
    return lines;
}

}  // namespace pk
