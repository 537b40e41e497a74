// The theme collection and the theme choice, headless: every theme library found under the
// program's folder with the themes (main bitmaps) of each, the selection of a theme with its
// fallback to the first one, the music choice, the "theme2" value of the configuration, and the
// watch that reloads the theme when one of its libraries changes on disk. The theme page shows
// this collection and calls these routines; the main window shows the loading window and
// applies a loaded theme.
//
// A scan list has one line per library file: its modification stamp, the byte 0x01 and its
// path as found on disk (LibraryListLine); a file that cannot be opened has the stamp "0".
// The loaded theme's LibraryList has the same form, so the two compare line for line.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "klb/zrtheme.h"

namespace pk {

// One theme of the tree.
struct tthemenode {
    std::filesystem::path libraryFile;  // as found on disk, for opening it
    std::string themeId;                // the entry's Theme ID list
    std::string name;                   // the entry's name, the node's label
};

// One library of the tree with its themes in file order.
struct TThemeLibraryNode {
    std::string label;  // file name without folder and extension, "Xxxx"
    std::filesystem::path file;
    std::vector<tthemenode> themes;
};

// The theme page's data.
struct TThemeSelection {
    std::vector<std::string> ScanList;
    std::vector<TThemeLibraryNode> Tree;
    // The selected node: library and theme index, -1 for none.
    int SelectedLibrary = -1;
    int SelectedTheme = -1;
    // While set, selection changes of the tree are ignored.
    bool Updating = false;
    // The music list: "*None*" at index 0, then the theme's music entries.
    std::vector<TZRC*> MusicList;
    int MusicIndex = 0;
    std::string MusicFileText;  // the external music file's edit box
    int PlayTag = 0;            // 1 while the play button plays
    bool ChangeTimerRunning = false;
    // The change watch's memory between ticks: the stamps (time and size) of a changed scan
    // seen at the last tick, which must hold still for one more tick before anything is
    // reloaded, and for how many ticks in a row each library could not be opened.
    std::vector<std::string> PendingStamps;
    std::vector<std::pair<std::string, int>> UnreadableTicks;
    // The theme in Settings.theme loaded and was applied; false after a failed load, which may
    // leave part of a theme behind.
    bool ThemeApplied = false;

    const tthemenode* Selected() const;
};
extern TThemeSelection ThemeSelection;

inline constexpr const char* NoMusicItem = "*None*";
inline constexpr const char* NoThemeMessage =
    "ERROR!  Unable to find a valid theme file, please reinstall Pelkorin.";

// Which theme SelectTheme left loaded.
enum class ThemeLoad {
    Requested,  // the one asked for
    Fallback,   // it failed; the first theme of the tree loaded instead
    NotFound,   // no theme of the tree matched; nothing was loaded
    Failed,     // neither it nor the first theme loaded
};

// Adds the lines of the library files below `folder` (files ending ".klb" in any case),
// depth first, each folder's entries by name. Links to folders are not followed.
void ThemeScanFolder(const std::filesystem::path& folder, std::vector<std::string>& list);
// The scan list's path part (after the first 0x01).
std::filesystem::path ScanLinePath(const std::string& line);
void ClearThemeTree();
void AddLibraryThemes(const std::filesystem::path& file);
void FillThemeTree(const std::vector<std::string>& list);
// Scans the program's folder afresh and rebuilds the tree.
void RescanThemes();

// Finds the theme (file and id compared ignoring case; an empty one matches any) and loads it
// into Settings.theme; on a failed load, falls back once to the first theme of the tree. The
// theme-change flag is cleared, the main window enabled and the change watch started again
// whatever the outcome, so that a later save of a library can still mend a failed load.
ThemeLoad SelectTheme(const std::filesystem::path& file, const std::string& themeId);
// Selects the theme's node without loading it.
bool SelectThemeNode(const std::filesystem::path& file, const std::string& themeId);

// Fills the music list from the loaded theme.
void FillMusicList();
// Chooses the music: an external file when it exists, else `entry`, else (with takeFirst) the
// theme's first music entry, else none. With restart the music stops first and, when a game
// runs, plays the new choice. True when music is chosen.
bool ThemeSetMusic(const std::string& file, TZRC* entry, bool takeFirst, bool restart);

// The "theme2" value of the loaded theme: library, 0x01, theme id, 0x01, external music file,
// and 0x01 and the music entry's name when one is chosen. Empty when no theme is loaded.
std::string BuildThemeSelection();
// Rescans, then loads the theme and music of a "theme2" value (three or four fields). False
// when no theme at all could be loaded.
bool ApplyThemeSelection(const std::string& value);

// What the change watch did.
enum class ThemeWatch {
    Unchanged,  // every library as before
    Busy,       // a script runs, or a library cannot be opened yet: look again next tick
    Settling,   // something changed: it must look the same at the next tick
    Rescanned,  // the tree was rebuilt; the theme stays
    Reloaded,   // the theme was loaded again (or the first theme in its place)
};
// Ticks a library may stay unreadable before the watch goes on without it.
inline constexpr int UnreadableGiveUpTicks = 3;
// The change watch (every 2 seconds while its timer runs): rescans, and once a change has held
// still for two ticks in a row, rebuilds the tree and reloads the theme when one of its
// libraries changed, appeared or went away. A library still being written is never read.
ThemeWatch CheckThemeChange();

// Releases the page's data: the tree, the scan list and the music list.
void FreeThemeSelection();

}  // namespace pk
