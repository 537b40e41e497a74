#pragma once
// Reading lobby payloads: fields separated by 0x02, list records by 0x01, numbered from 1 as
// TokenAt numbers them (a separator at the very end opens no further field). Numbers are
// decimal text: `Num` marks the reader bad when a field is not a number (the message is then
// not applied), `NumOr` gives a default instead. Reads past the end give empty fields.
// Handlers read a message's fields by the names its layout gives them (zrlobbylayout.h): the
// field's kind is its type, so `Get` reads it the one way its layout says.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/zrmisc.h"

namespace pk {

inline constexpr char LobbyFieldSep = '\x02';
inline constexpr char LobbyRecordSep = '\x01';

// Fields written the way they are read: joined by LobbyFieldSep.
inline std::string JoinLobbyFields(std::initializer_list<std::string> fields) {
    std::string out;
    bool first = true;
    for (const std::string& f : fields) {
        if (!first) {
            out += LobbyFieldSep;
        }
        out += f;
        first = false;
    }
    return out;
}

// One field of a message's layout: where it lies (counted from 1; 0 for a field the message
// does not carry) and, by its type, how it is read.
struct LobbyText {  // the field's bytes as they came
    int at = 0;
};
struct LobbyNumber {  // a number; anything else makes the whole message unreadable
    int at = 0;
};
struct LobbyNumberOr {  // a number, or the fallback when the field is not one
    int at = 0;
    std::int32_t fallback = 0;
};
struct LobbyFlag {  // "1" is set, anything else is not
    int at = 0;
};
struct LobbyReal {  // a real number, read by its reader (the servers status report's loads)
    int at = 0;
};
struct LobbyRest {  // this field and every one after it, separators included
    int at = 0;
};

// Keeps a view of the text: the text must outlive the reader.
class TLobbyFields {
public:
    TLobbyFields(std::string&& text, char separator) = delete;
    TLobbyFields(std::string_view text, char separator) : text_(text) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == separator) {
                spans_.push_back({start, i});
                start = i + 1;
            }
        }
        if (start < text.size()) {
            spans_.push_back({start, text.size()});
        }
    }

    int Count() const { return static_cast<int>(spans_.size()); }
    std::string_view View(int n) const {
        if (n < 1 || n > Count()) {
            return {};
        }
        const Span& s = spans_[static_cast<std::size_t>(n - 1)];
        return text_.substr(s.begin, s.end - s.begin);
    }
    std::string Str(int n) const { return std::string(View(n)); }
    // The text from field n on, separators included.
    std::string Rest(int n) const {
        if (n < 1) {
            return std::string(text_);
        }
        if (n > Count()) {
            return {};
        }
        return std::string(text_.substr(spans_[static_cast<std::size_t>(n - 1)].begin));
    }
    std::int32_t Num(int n) {
        const auto value = ParseInt(View(n));
        if (!value) {
            bad_ = true;
            return 0;
        }
        return *value;
    }
    std::int32_t NumOr(int n, std::int32_t fallback) const {
        return ParseInt(View(n)).value_or(fallback);
    }
    bool ok() const { return !bad_; }

    // A field read by its layout's name.
    std::string Get(LobbyText field) const { return Str(field.at); }
    std::int32_t Get(LobbyNumber field) { return Num(field.at); }
    std::int32_t Get(LobbyNumberOr field) const { return NumOr(field.at, field.fallback); }
    bool Get(LobbyFlag field) const { return View(field.at) == "1"; }
    std::string Get(LobbyRest field) const { return Rest(field.at); }
    // Any field's bytes as they came, whatever its kind.
    template <class Field>
    std::string_view Raw(Field field) const {
        return View(field.at);
    }

private:
    struct Span {
        std::size_t begin;
        std::size_t end;
    };
    std::string_view text_;
    std::vector<Span> spans_;
    bool bad_ = false;
};

// The first `limit` cells of a row of cells separated by 0x01 (the tables' and the user
// database's rows). An empty text has no cells; empty cells between separators count.
inline std::vector<std::string> RecordCells(const std::string& text, std::size_t limit) {
    std::vector<std::string> out;
    if (text.empty()) {
        return out;
    }
    std::size_t at = 0;
    while (out.size() < limit) {
        const std::size_t end = text.find(LobbyRecordSep, at);
        out.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) {
            break;
        }
        at = end + 1;
    }
    return out;
}

}  // namespace pk
