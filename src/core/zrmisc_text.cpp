// Text helpers of zrmisc: tokenizers, validators, wildcard matching, escapes.
#include <cstdio>
#include <vector>

#include "core/zrmisc.h"

namespace pk {
namespace {

struct Span {
    std::size_t begin;
    std::size_t end;
};

// Words: maximal runs of non-blanks.
std::vector<Span> WordSpans(std::string_view text) {
    std::vector<Span> spans;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') {
            ++i;
        }
        if (i >= text.size()) {
            break;
        }
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ') {
            ++i;
        }
        spans.push_back({start, i});
    }
    return spans;
}

// Tokens: every delimiter separates, but one at the very end opens nothing.
std::vector<Span> TokenSpans(std::string_view text, char delimiter) {
    std::vector<Span> spans;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == delimiter) {
            spans.push_back({start, i});
            start = i + 1;
        }
    }
    if (start < text.size()) {
        spans.push_back({start, text.size()});
    }
    return spans;
}

std::string Piece(std::string_view text, Span s) {
    return std::string(text.substr(s.begin, s.end - s.begin));
}

std::size_t FindNoCase(std::string_view hay, std::string_view needle) {
    if (needle.empty()) {
        return 0;
    }
    if (needle.size() > hay.size()) {
        return std::string_view::npos;
    }
    for (std::size_t i = 0; i + needle.size() <= hay.size(); ++i) {
        std::size_t j = 0;
        while (j < needle.size() && LowerChar(hay[i + j]) == LowerChar(needle[j])) {
            ++j;
        }
        if (j == needle.size()) {
            return i;
        }
    }
    return std::string_view::npos;
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
    return prefix.size() <= text.size() && SameText(text.substr(0, prefix.size()), prefix);
}

bool IsLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string LowerCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = LowerChar(c);
    }
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerChar(a[i]) != LowerChar(b[i])) {
            return false;
        }
    }
    return true;
}

std::optional<std::int32_t> ParseInt(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (!IsDigit(static_cast<unsigned char>(text[i]))) {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > 2147483647LL) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

namespace {

// The n-th word (from 1), found without building the list of all words: the
// word helpers run on every game set value and every text line.
std::optional<Span> NthWord(std::string_view text, int n) {
    std::size_t i = 0;
    int word = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') {
            ++i;
        }
        if (i >= text.size()) {
            break;
        }
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ') {
            ++i;
        }
        if (++word == n) {
            return Span{start, i};
        }
    }
    return std::nullopt;
}

}  // namespace

int WordCount(std::string_view text) {
    int count = 0;
    bool inWord = false;
    for (char c : text) {
        if (c == ' ') {
            inWord = false;
        } else if (!inWord) {
            inWord = true;
            ++count;
        }
    }
    return count;
}

std::string WordAt(int n, std::string_view text) {
    if (n == 0) {
        return std::to_string(WordCount(text));
    }
    if (n < 0) {
        return {};
    }
    const auto span = NthWord(text, n);
    return span ? Piece(text, *span) : std::string();
}

int TokenCount(std::string_view text, char delimiter) {
    // Every delimiter closes a token; the text after the last one is a token when not empty.
    int count = 0;
    std::size_t start = 0;
    for (std::size_t at = text.find(delimiter); at != std::string_view::npos;
         at = text.find(delimiter, start)) {
        ++count;
        start = at + 1;
    }
    return start < text.size() ? count + 1 : count;
}

namespace {

// Where the n-th token (from 1) begins, found without building the list of all tokens.
std::optional<std::size_t> NthTokenBegin(std::string_view text, int n, char delimiter) {
    std::size_t start = 0;
    for (int i = 1; i < n; ++i) {
        const std::size_t next = text.find(delimiter, start);
        if (next == std::string_view::npos) {
            return std::nullopt;
        }
        start = next + 1;
    }
    // A delimiter at the very end opens no token.
    return start < text.size() ? std::optional<std::size_t>(start) : std::nullopt;
}

}  // namespace

std::string TokenAt(int n, std::string_view text, char delimiter) {
    if (n == 0) {
        return std::to_string(TokenCount(text, delimiter));
    }
    if (n < 0) {
        return {};
    }
    // Walks without building the whole list: this runs on every message.
    std::size_t start = 0;
    for (int i = 1; i < n; ++i) {
        std::size_t next = text.find(delimiter, start);
        if (next == std::string_view::npos) {
            return {};
        }
        start = next + 1;
    }
    if (start >= text.size()) {
        return {};
    }
    std::size_t end = text.find(delimiter, start);
    return std::string(
        text.substr(start, end == std::string_view::npos ? text.size() - start : end - start));
}

std::string RestFromWord(int n, std::string_view text) {
    if (n < 1) {
        return std::string(text);
    }
    const auto span = NthWord(text, n);
    return span ? std::string(text.substr(span->begin)) : std::string();
}

std::string RestFromToken(int n, std::string_view text, char delimiter) {
    if (n < 1) {
        return std::string(text);
    }
    const auto begin = NthTokenBegin(text, n, delimiter);
    return begin ? std::string(text.substr(*begin)) : std::string();
}

std::string TokenRange(int first, int last, std::string_view text, char delimiter) {
    auto spans = TokenSpans(text, delimiter);
    std::string out;
    bool any = false;
    for (int i = MaxInt(first, 1); i <= last && static_cast<std::size_t>(i) <= spans.size(); ++i) {
        if (any) {
            out.push_back(delimiter);
        }
        out += Piece(text, spans[i - 1]);
        any = true;
    }
    return out;
}

std::string InsertToken(int n, std::string_view text, char delimiter, std::string_view value) {
    auto spans = TokenSpans(text, delimiter);
    std::vector<std::string> parts;
    for (std::size_t i = 0; i < spans.size(); ++i) {
        if (static_cast<int>(i) + 1 == n && !value.empty()) {
            parts.emplace_back(value);
        }
        parts.push_back(Piece(text, spans[i]));
    }
    if (!value.empty() && (n < 1 || static_cast<std::size_t>(n) > spans.size())) {
        if (n < 1) {
            parts.insert(parts.begin(), std::string(value));
        } else {
            parts.emplace_back(value);
        }
    }
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            out.push_back(delimiter);
        }
        out += parts[i];
    }
    return out;
}

int WordIndex(std::string_view word, std::string_view list) {
    auto spans = WordSpans(list);
    for (std::size_t i = 0; i < spans.size(); ++i) {
        if (SameText(Piece(list, spans[i]), word)) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

std::string RemoveChars(std::string_view text, std::string_view set) {
    std::string out;
    for (char c : text) {
        if (set.find(c) == std::string_view::npos) {
            out.push_back(c);
        }
    }
    return out;
}

std::string StripLeading(std::string_view text, char ch) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ch) {
        ++i;
    }
    return std::string(text.substr(i));
}

std::string RepeatString(int n, std::string_view text) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += text;
    }
    return out;
}

int CharCount(char ch, std::string_view text) {
    int count = 0;
    for (char c : text) {
        count += c == ch ? 1 : 0;
    }
    return count;
}

std::string FirstNonEmpty(std::string_view a, std::string_view b) {
    return std::string(a.empty() ? b : a);
}

std::string PadColumn(std::string_view text, int width, bool leftAligned) {
    std::string out(text);
    if (width > 0 && out.size() < static_cast<std::size_t>(width)) {
        std::string pad(static_cast<std::size_t>(width) - out.size(), ' ');
        out = leftAligned ? out + pad : pad + out;
    }
    return out;
}

std::string FormatTokens(std::string_view templ, std::string_view args, char delimiter) {
    std::string out;
    int next = 1;
    for (std::size_t i = 0; i < templ.size(); ++i) {
        if (templ[i] == '%' && i + 1 < templ.size()) {
            // "%<n>:s" picks argument n (0-based) and later plain "%s" go on after it, as
            // the server's templates expect ("%s usage: /%0:s %s").
            std::size_t j = i + 1;
            while (j < templ.size() && IsDigit(static_cast<unsigned char>(templ[j]))) ++j;
            if (j > i + 1 && j + 1 < templ.size() && templ[j] == ':' && templ[j + 1] == 's' &&
                j - i <= 3) {
                next = std::stoi(std::string(templ.substr(i + 1, j - i - 1))) + 1;
                if (next <= 10) {
                    out += TokenAt(next, args, delimiter);
                }
                ++next;
                i = j + 1;
                continue;
            }
            if (templ[i + 1] == 's') {
                if (next <= 10) {
                    out += TokenAt(next, args, delimiter);
                }
                ++next;
                ++i;
                continue;
            }
            if (templ[i + 1] == '%') {
                out.push_back('%');
                ++i;
                continue;
            }
        }
        out.push_back(templ[i]);
    }
    return out;
}

std::string DecodeEscapes(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '\\' && i + 4 <= text.size() &&
            IsDigit(static_cast<unsigned char>(text[i + 1])) &&
            IsDigit(static_cast<unsigned char>(text[i + 2])) &&
            IsDigit(static_cast<unsigned char>(text[i + 3]))) {
            int code = (text[i + 1] - '0') * 100 + (text[i + 2] - '0') * 10 + (text[i + 3] - '0');
            out.push_back(static_cast<char>(code % 256));
            i += 4;
        } else {
            out.push_back(text[i]);
            ++i;
        }
    }
    return out;
}

std::string EscapeQuotes(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\'') {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    return out;
}

// Literal runs between wildcards are matched greedily from the left: after
// "*" a run may occur anywhere in what is left, after "?" (or at the start)
// it must stand at the front. The tail after the last "*" is searched, not
// anchored, so "a*c" also matches "abcd"; stored theme scripts rely on that.
bool WildMatch(std::string_view pattern, std::string_view text) {
    std::string_view rest = text;
    std::string literal;
    char lastWild = 0;
    for (char c : pattern) {
        if (c != '*' && c != '?') {
            literal.push_back(c);
            continue;
        }
        if (lastWild == '*') {
            std::size_t at = FindNoCase(rest, literal);
            if (at == std::string_view::npos) {
                return false;
            }
            rest.remove_prefix(at + literal.size());
        } else {
            if (!StartsNoCase(rest, literal)) {
                return false;
            }
            rest.remove_prefix(literal.size());
        }
        if (c == '?') {
            // "?" stands for exactly one character, so it needs one left.
            if (rest.empty()) {
                return false;
            }
            rest.remove_prefix(1);
        }
        literal.clear();
        lastWild = c;
    }
    if (lastWild == 0) {
        return SameText(literal, text);
    }
    if (lastWild == '*') {
        return FindNoCase(rest, literal) != std::string_view::npos;
    }
    return StartsNoCase(rest, literal);
}

int Clamp(int value, int lo, int hi) {
    if (value < lo) {
        return lo;
    }
    if (value > hi) {
        return hi;
    }
    return value;
}

bool IsValidName(std::string_view text) {
    static constexpr std::string_view kPunctuation = "`~!@#$%^&()-=\\_+[]{};:'\",.<>|";
    if (text.empty() || !IsLetter(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (!IsLetter(u) && !IsDigit(u) && kPunctuation.find(c) == std::string_view::npos) {
            return false;
        }
    }
    return true;
}

// Blank, every printable ASCII character and every byte from 0x7F to 0xFE.
bool IsValidText(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0xFF) {
            return false;
        }
    }
    return true;
}

}  // namespace pk
