// The property pages of the editor's main window as data: what each grid
// shows for an entry and how an edited grid is written back into it, the
// skin element's flag and event lists as grids, and the "Apply" commands
// that copy a value to every marked entry. Headless; the window only moves
// cell texts between these and its widgets.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "editor/zrdoc.h"

namespace pk {

// Pages of `mainpagecontrol`, by index.
enum PageIndex : int {
    kPageMain = 0,
    kPageDetail = 1,
    kPageSound = 2,
    kPageMusic = 3,
    kPageSkin = 4
};
inline constexpr int kPageCount = 5;

std::optional<int> PageOfKind(KlbKind kind);
KlbKind KindOfPage(int page);
const char* PageTitle(int page);
const std::vector<std::string>& RowLabels(int page);
// Shown when the page has no entry of its kind.
std::vector<std::string> DefaultValues(int page);
std::vector<std::string> ShownValues(int page, const TZRC& e,
                                     const std::filesystem::path& programFolder);
// The edit handler of a page's grid: stores every stored row into the entry.
// False (and nothing changes) for a reference entry or an entry of another
// kind, or when `rows` is shorter than the grid.
bool StoreEdit(int page, TZRC& e, const std::vector<std::string>& rows);

// The skin page's lists as grids of data rows (the header row is the
// widget's). They never hold fewer than kSkinListRows rows and grow to a
// longer list, so no line is ever lost.
inline constexpr size_t kSkinListRows = 49;
struct SkinGrid {
    size_t columns = 2;
    std::vector<std::vector<std::string>> rows;

    explicit SkinGrid(size_t cols = 2) : columns(cols), rows(kSkinListRows, Row()) {}
    std::vector<std::string> Row() const { return std::vector<std::string>(columns); }
    void SetCell(size_t row, size_t col, const std::string& text);
    // F12: an empty row at `row`, the rows from there one down; the grid
    // grows instead of losing a filled last row.
    void InsertRow(size_t row);
    // F11: the rows below `row` one up, an empty row at the end.
    void DeleteRow(size_t row);
};

SkinGrid FlagListToGrid(const std::string& list);  // columns Flag, Parameters
std::string GridToFlagList(const SkinGrid& grid);
SkinGrid EventListToGrid(const std::string& list);  // columns Event, Action, Target
std::string GridToEventList(const SkinGrid& grid);

// Every leading and trailing `ch` removed.
std::string StripCharBoth(std::string_view text, char ch);

// The "Apply" commands. Each writes the marked leaves of the selected entry's
// kind (the selected one left out, reference entries refused by the edit
// handlers), unmarks them and selects the first selected entry again. They
// return how many entries were written.
int ApplyField(KledDoc& doc, int row, const std::string& text);
int ApplyFlagList(KledDoc& doc, const std::string& list);
int ApplyEventList(KledDoc& doc, const std::string& list);

}  // namespace pk
