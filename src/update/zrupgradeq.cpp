#include "update/zrupgradeq.h"

#include "core/zrmisc.h"

namespace pk {
namespace {

constexpr int kMaxDelayField = 60000;

std::vector<std::string_view> SplitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(QueueFieldSep, start);
        if (end == std::string_view::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

UpgradeLine UpgradeLine::MakeCopy(std::string source, std::string target) {
    return {Copy, std::move(source), std::move(target), 0};
}
UpgradeLine UpgradeLine::MakeDelete(std::string path) {
    return {Delete, std::move(path), {}, 0};
}
UpgradeLine UpgradeLine::MakeRemdir(std::string folder) {
    return {Remdir, std::move(folder), {}, 0};
}
UpgradeLine UpgradeLine::MakeRun(std::string program, std::string arguments, int delayMs) {
    return {Run, std::move(program), std::move(arguments), delayMs};
}

std::string FormatUpgradeLine(const UpgradeLine& line) {
    const std::string sep(1, QueueFieldSep);
    switch (line.kind) {
        case UpgradeLine::Copy:
            return "copy" + sep + line.path + sep + line.target;
        case UpgradeLine::Delete:
            return "delete" + sep + line.path;
        case UpgradeLine::Remdir:
            return "remdir" + sep + line.path;
        case UpgradeLine::Run:
            return "run" + sep + std::to_string(line.delayMs) + sep + line.path + sep + line.target;
    }
    return {};
}

std::string FormatUpgradeQueue(const std::vector<UpgradeLine>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out += FormatUpgradeLine(line);
        out += "\r\n";
    }
    return out;
}

std::optional<UpgradeLine> ParseUpgradeLine(std::string_view text) {
    const auto f = SplitFields(text);
    const auto nonEmpty = [&f](std::size_t from) {
        for (std::size_t i = from; i < f.size(); ++i) {
            if (f[i].empty()) {
                return false;
            }
        }
        return true;
    };
    if (f[0] == "copy" && f.size() == 3 && nonEmpty(1)) {
        return UpgradeLine::MakeCopy(std::string(f[1]), std::string(f[2]));
    }
    if (f[0] == "delete" && f.size() == 2 && nonEmpty(1)) {
        return UpgradeLine::MakeDelete(std::string(f[1]));
    }
    if (f[0] == "remdir" && f.size() == 2 && nonEmpty(1)) {
        return UpgradeLine::MakeRemdir(std::string(f[1]));
    }
    if (f[0] == "run" && f.size() == 4 && !f[2].empty()) {
        const auto delay = ParseInt(f[1]);
        if (!delay || *delay < 0 || *delay > kMaxDelayField) {
            return std::nullopt;
        }
        return UpgradeLine::MakeRun(std::string(f[2]), std::string(f[3]), *delay);
    }
    return std::nullopt;
}

UpgradeQueue ParseUpgradeQueue(std::string_view text) {
    UpgradeQueue queue;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        start = end + 1;
        if (line.empty()) {
            continue;
        }
        if (auto parsed = ParseUpgradeLine(line)) {
            queue.lines.push_back(std::move(*parsed));
        } else {
            queue.refused.emplace_back(line);
        }
    }
    return queue;
}

}  // namespace pk
