#include "editor/zrpages.h"

#include <algorithm>

#include "core/zrmisc.h"

namespace pk {

namespace {

constexpr const char* kInternal = "(Internal)";

std::string Trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return std::string(s);
}

// Word n (from 1) as a number; `fallback` when it is not one.
int32_t WordNumber(int n, const std::string& text, int32_t fallback = 0) {
    return ParseInt(WordAt(n, text)).value_or(fallback);
}

std::string Pair(int32_t a, int32_t b) {
    return std::to_string(a) + " " + std::to_string(b);
}

bool HasImage(const TZRC& e) {
    return !e.entry.image.empty() || e.entry.imagePart.offset > 0;
}
bool HasMask(const TZRC& e) {
    return !e.entry.mask.empty() || e.entry.maskPart.offset > 0;
}

// A file-name cell: the chosen file, "(Internal)" for a part held without
// one, empty when there is no part.
std::string PartFileCell(const std::string& file, bool present) {
    if (!file.empty())
        return file;
    return present ? kInternal : "";
}

std::vector<std::string> SplitCR(const std::string& list) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = list.find('\r', start);
        lines.push_back(list.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

SkinGrid GridFor(size_t columns, size_t lines) {
    SkinGrid grid(columns);
    if (lines > grid.rows.size())
        grid.rows.resize(lines, grid.Row());
    return grid;
}

// Writes `write` into the marked entries of the selected entry's kind, then
// unmarks them and selects the selected entry again.
template <typename Write>
int ApplyToMarked(KledDoc& doc, KlbKind kind, Write write) {
    TZRC* selected = doc.SelectedEntry();
    if (!selected || selected->kind() != kind)
        return 0;
    int written = 0;
    for (TZRC* e : doc.MarkedEntries(kind)) {
        if (write(*e))
            ++written;
        e->node->SetMarked(false);
    }
    TreeNode* node = selected->node;
    doc.tree().selected = nullptr;
    doc.Select(node);
    return written;
}

}  // namespace

std::optional<int> PageOfKind(KlbKind kind) {
    switch (kind) {
        case KlbKind::Music:
            return kPageMusic;
        case KlbKind::Main:
            return kPageMain;
        case KlbKind::Detail:
            return kPageDetail;
        case KlbKind::Sound:
            return kPageSound;
        case KlbKind::Skin:
            return kPageSkin;
        case KlbKind::Group:
            break;
    }
    return std::nullopt;
}

KlbKind KindOfPage(int page) {
    static constexpr KlbKind kinds[kPageCount] = {KlbKind::Main, KlbKind::Detail, KlbKind::Sound,
                                                  KlbKind::Music, KlbKind::Skin};
    return kinds[std::clamp(page, 0, kPageCount - 1)];
}

const char* PageTitle(int page) {
    static constexpr const char* titles[kPageCount] = {"Main Bitmap", "SB Bitmap", "Sounds",
                                                       "Music", "Skin Bitmaps"};
    return titles[std::clamp(page, 0, kPageCount - 1)];
}

const std::vector<std::string>& RowLabels(int page) {
    static const std::vector<std::string> labels[kPageCount] = {
        {"Theme ID", "Filename", "Mask Filename", "Minimum Window Width/Height", "Large Block Size",
         "Small Block Size", "Field Width/Height", "Information", "References"},
        {"Theme ID List", "Filename"},
        {"Theme ID List", "Filename"},
        {"Theme ID List", "Filename", "Type"},
        {"Theme ID List", "Filename", "Mask Filename", "Parent", "Rect", "Background Color"},
    };
    return labels[std::clamp(page, 0, kPageCount - 1)];
}

std::vector<std::string> DefaultValues(int page) {
    switch (page) {
        case kPageMain:
            return {"*", "", "", "0 0", "16", "8", "12 22", "", ""};
        case kPageSkin:
            return {"*", "", "", "", "0 0 0 0", "-1 -1 -1"};
        default:
            break;
    }
    std::vector<std::string> values(RowLabels(page).size());
    values[0] = "*";
    return values;
}

std::vector<std::string> ShownValues(int page, const TZRC& e,
                                     const std::filesystem::path& programFolder) {
    const KlbEntry& k = e.entry;
    switch (page) {
        case kPageMain:
            return {k.themeIdList,
                    e.imageFileName.empty() ? kInternal : e.imageFileName,
                    PartFileCell(e.maskFileName, HasMask(e)),
                    Pair(k.minWindowWidth, k.minWindowHeight),
                    std::to_string(k.largeBlockSize),
                    std::to_string(k.smallBlockSize),
                    Pair(k.fieldWidth, k.fieldHeight),
                    k.information,
                    k.references};
        case kPageDetail:
            return {k.themeIdList, e.imageFileName};
        case kPageSound:
            return {k.themeIdList, e.heldFile.string()};
        case kPageMusic: {
            // The editor's own preview copy is no file of the author's.
            const bool preview = IsMusicPreviewFile(e.heldFile, programFolder, k.fileType);
            return {k.themeIdList, preview ? "" : e.heldFile.string(), k.fileType};
        }
        case kPageSkin: {
            std::string colour = "-1 -1 -1";
            if (k.backColour != -1)
                colour = std::to_string(k.backColour & 0xFF) + " " +
                         std::to_string((k.backColour >> 8) & 0xFF) + " " +
                         std::to_string((k.backColour >> 16) & 0xFF);
            return {k.themeIdList,
                    PartFileCell(e.imageFileName, HasImage(e)),
                    PartFileCell(e.maskFileName, HasMask(e)),
                    k.parentName,
                    std::to_string(k.left) + " " + std::to_string(k.top) + " " +
                        std::to_string(k.width) + " " + std::to_string(k.height),
                    colour};
        }
        default:
            break;
    }
    return DefaultValues(page);
}

bool StoreEdit(int page, TZRC& e, const std::vector<std::string>& rows) {
    if (e.IsReference || PageOfKind(e.kind()) != page || rows.size() < RowLabels(page).size())
        return false;
    KlbEntry& k = e.entry;
    k.themeIdList = rows[0];
    if (page == kPageMain) {
        if (rows[2].empty() && HasMask(e)) {
            k.mask.clear();
            k.maskPart = {};
            e.maskFileName.clear();
        }
        k.minWindowWidth = WordNumber(1, rows[3]);
        k.minWindowHeight = WordNumber(2, rows[3]);
        k.largeBlockSize = ParseInt(Trim(rows[4])).value_or(0);
        k.smallBlockSize = ParseInt(Trim(rows[5])).value_or(0);
        k.fieldWidth = WordNumber(1, rows[6]);
        k.fieldHeight = WordNumber(2, rows[6]);
        k.information = rows[7];
        k.references = rows[8];
    } else if (page == kPageSkin) {
        if (rows[1].empty() && HasImage(e)) {
            k.image.clear();
            k.imagePart = {};
            e.imageFileName.clear();
        }
        if (rows[2].empty() && HasMask(e)) {
            k.mask.clear();
            k.maskPart = {};
            e.maskFileName.clear();
        }
        k.parentName = rows[3];
        k.left = WordNumber(1, rows[4]);
        k.top = WordNumber(2, rows[4]);
        k.width = WordNumber(3, rows[4], 1);
        k.height = WordNumber(4, rows[4], 1);
        k.width = k.width > 0 ? k.width : 1;
        k.height = k.height > 0 ? k.height : 1;
        if (rows[5].find("-1") != std::string::npos) {
            k.backColour = -1;
        } else {
            // Clamped to 0..255, as the client reads a colour word: a word above 255 never
            // spills into the next channel.
            auto channel = [&](int n) { return std::clamp(WordNumber(n, rows[5]), 0, 255); };
            k.backColour = channel(1) | (channel(2) << 8) | (channel(3) << 16);
        }
    }
    return true;
}

// ---- Skin lists -----------------------------------------------------------

void SkinGrid::SetCell(size_t row, size_t col, const std::string& text) {
    if (col >= columns)
        return;
    if (row >= rows.size())
        rows.resize(row + 1, Row());
    rows[row][col] = text;
}

void SkinGrid::InsertRow(size_t row) {
    if (row >= rows.size())
        return;
    const auto& last = rows.back();
    if (std::any_of(last.begin(), last.end(), [](const std::string& s) { return !s.empty(); }))
        rows.push_back(Row());
    rows.pop_back();
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(row), Row());
}

void SkinGrid::DeleteRow(size_t row) {
    if (row >= rows.size())
        return;
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(row));
    rows.push_back(Row());
}

std::string StripCharBoth(std::string_view text, char ch) {
    while (!text.empty() && text.front() == ch) text.remove_prefix(1);
    while (!text.empty() && text.back() == ch) text.remove_suffix(1);
    return std::string(text);
}

SkinGrid FlagListToGrid(const std::string& list) {
    const std::vector<std::string> lines = SplitCR(list);
    SkinGrid grid = GridFor(2, lines.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        size_t lf = lines[i].find('\n');
        grid.rows[i][0] = Trim(std::string_view(lines[i]).substr(0, lf));
        grid.rows[i][1] = lf == std::string::npos ? "" : Trim(lines[i].substr(lf + 1));
    }
    return grid;
}

std::string GridToFlagList(const SkinGrid& grid) {
    std::string out;
    for (const auto& row : grid.rows) {
        out += Trim(row[0]);
        std::string params = Trim(row[1]);
        if (!params.empty())
            out += "\n" + params;
        out += "\r";
    }
    return StripCharBoth(out, '\r');
}

SkinGrid EventListToGrid(const std::string& list) {
    const std::vector<std::string> lines = SplitCR(list);
    SkinGrid grid = GridFor(3, lines.size());
    std::string previous;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        size_t lf = line.find('\n');
        if (lf == std::string::npos) {
            previous.clear();
            continue;
        }
        std::string event = Trim(std::string_view(line).substr(0, lf));
        std::string rest = line.substr(lf + 1);
        size_t lf2 = rest.find('\n');
        std::string action = Trim(std::string_view(rest).substr(0, lf2));
        // A repeated event is shown blank, except on a line without an action:
        // a blank row with nothing in it would be dropped on the way back.
        if (!SameText(event, previous) || action.empty())
            grid.rows[i][0] = event;
        grid.rows[i][1] = std::move(action);
        grid.rows[i][2] = lf2 == std::string::npos ? "" : Trim(rest.substr(lf2 + 1));
        previous = event;
    }
    return grid;
}

std::string GridToEventList(const SkinGrid& grid) {
    std::string out, remembered;
    for (const auto& row : grid.rows) {
        std::string event = Trim(row[0]), action = Trim(row[1]), target = Trim(row[2]);
        if (!event.empty())
            remembered = event;
        if (!event.empty() || (!action.empty() && !remembered.empty())) {
            out += remembered + "\n" + action;
            if (!target.empty())
                out += "\n" + target;
        }
        out += "\r";
    }
    return StripCharBoth(out, '\r');
}

// ---- Apply commands ------------------------------------------------------------

int ApplyField(KledDoc& doc, int row, const std::string& text) {
    TZRC* selected = doc.SelectedEntry();
    if (!selected)
        return 0;
    std::optional<int> page = PageOfKind(selected->kind());
    if (!page || row < 0 || static_cast<size_t>(row) >= RowLabels(*page).size())
        return 0;
    return ApplyToMarked(doc, selected->kind(), [&](TZRC& e) {
        std::vector<std::string> rows = ShownValues(*page, e, doc.programFolder());
        rows[static_cast<size_t>(row)] = text;
        return StoreEdit(*page, e, rows);
    });
}

int ApplyFlagList(KledDoc& doc, const std::string& list) {
    return ApplyToMarked(doc, KlbKind::Skin, [&](TZRC& e) {
        if (e.IsReference)
            return false;
        e.entry.flagList = list;
        return true;
    });
}

int ApplyEventList(KledDoc& doc, const std::string& list) {
    return ApplyToMarked(doc, KlbKind::Skin, [&](TZRC& e) {
        if (e.IsReference)
            return false;
        e.entry.eventList = list;
        return true;
    });
}

}  // namespace pk
