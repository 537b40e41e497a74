#include "editor/zrini.h"

#include <vector>

#include "core/zrmisc.h"
#include "platform/atomicfile.h"

namespace pk {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    auto bytes = ReadFileBytes(file, kIniMaxFileSize);
    if (!bytes)
        return lines;
    std::string_view rest = *bytes;
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    return lines;
}

// The section a line opens, when it is a section header.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

// The key of a "key=value" line; nullopt for other lines.
std::optional<std::string_view> KeyName(std::string_view line) {
    size_t eq = line.find('=');
    if (eq == std::string_view::npos || SectionName(line))
        return std::nullopt;
    return Trim(line.substr(0, eq));
}

// The lines [first, end) that belong to the section, header excluded.
struct SectionSpan {
    size_t header = 0, first = 0, end = 0;
};

std::optional<SectionSpan> FindSection(const std::vector<std::string>& lines,
                                       std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionName(lines[i]);
        if (!name || !SameText(*name, section))
            continue;
        size_t end = i + 1;
        while (end < lines.size() && !SectionName(lines[end])) ++end;
        return SectionSpan{i, i + 1, end};
    }
    return std::nullopt;
}

std::optional<size_t> FindKey(const std::vector<std::string>& lines, const SectionSpan& span,
                              std::string_view key) {
    for (size_t i = span.first; i < span.end; ++i)
        if (auto k = KeyName(lines[i]); k && SameText(*k, key))
            return i;
    return std::nullopt;
}

bool Save(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return WriteFileAtomic(file, out, SaveTarget::UserFile);
}

}  // namespace

std::string ReadIniValue(std::string_view section, std::string_view key,
                         const std::filesystem::path& file) {
    const std::vector<std::string> lines = ReadLines(file);
    auto span = FindSection(lines, section);
    if (!span)
        return {};
    auto at = FindKey(lines, *span, key);
    if (!at)
        return {};
    std::string_view line = lines[*at];
    std::string value(Trim(line.substr(line.find('=') + 1)));
    if (value.size() > kIniValueBuffer - 1)
        value.resize(kIniValueBuffer - 1);
    return value;
}

bool WriteIniValue(std::string_view section, std::optional<std::string_view> key,
                   const std::filesystem::path& file, std::optional<std::string_view> value) {
    if (value && value->find_first_of("\r\n") != std::string_view::npos)
        return false;
    if (key && key->find_first_of("\r\n=") != std::string_view::npos)
        return false;
    std::vector<std::string> lines = ReadLines(file);
    auto span = FindSection(lines, section);
    if (!key) {
        if (!span)
            return true;
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(span->header),
                    lines.begin() + static_cast<std::ptrdiff_t>(span->end));
        return Save(file, lines);
    }
    const std::string line = std::string(*key) + "=" + std::string(value.value_or(""));
    if (!span) {
        if (!value)
            return true;
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(line);
        return Save(file, lines);
    }
    auto at = FindKey(lines, *span, *key);
    if (!value) {
        if (!at)
            return true;
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*at));
    } else if (at) {
        // The key keeps the spelling it has in the file.
        lines[*at] = std::string(*KeyName(lines[*at])) + "=" + std::string(*value);
    } else {
        // After the section's last non-blank line, so blank separators stay below it.
        size_t insert = span->end;
        while (insert > span->first && Trim(lines[insert - 1]).empty()) --insert;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert), line);
    }
    return Save(file, lines);
}

}  // namespace pk
