#include "shell/zrthemesel.h"

#include <algorithm>
#include <system_error>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "game/zrgame.h"
#include "room/zrroomhost.h"
#include "shell/zraudiohooks.h"
#include "shell/zrshell.h"
#include "shell/zrskinhooks.h"

namespace pk {

TThemeSelection ThemeSelection;

namespace {

namespace fs = std::filesystem;

// Deep enough for any sensible install, and a bound for a folder tree built to be endless.
constexpr int MaxScanDepth = 16;

// Only a regular file is opened: a pipe named like a library would block the scan.
bool CanOpenLibrary(const fs::path& file) {
    std::error_code ec;
    return fs::is_regular_file(file, ec) && FileCanOpen(file.string());
}

std::string ScanLine(const fs::path& file) {
    if (!CanOpenLibrary(file))
        return std::string("0\x01") + file.string();
    return LibraryListLine(file);
}

void ScanFolder(const fs::path& folder, std::vector<std::string>& list, int depth) {
    std::error_code ec;
    std::vector<fs::directory_entry> items;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        items.push_back(*it);
    // A stable order, so that "the first theme" is the same on every start.
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
        const std::string la = LowerCase(a.path().filename().string());
        const std::string lb = LowerCase(b.path().filename().string());
        return la != lb ? la < lb : a.path().filename() < b.path().filename();
    });
    for (const fs::directory_entry& item : items) {
        std::error_code typeError;
        const fs::file_status own = item.symlink_status(typeError);
        if (typeError)
            continue;
        if (fs::is_directory(own)) {
            if (depth < MaxScanDepth)
                ScanFolder(item.path(), list, depth + 1);
            continue;
        }
        // A link to a folder is not followed: it could lead back up the tree.
        if (fs::is_symlink(own) && item.is_directory(typeError))
            continue;
        if (LowerCase(item.path().extension().string()) == ".klb")
            list.push_back(ScanLine(item.path()));
    }
}

std::string LibraryLabel(const fs::path& file) {
    std::string label = LowerCase(file.stem().string());
    if (!label.empty() && label[0] >= 'a' && label[0] <= 'z')
        label[0] = static_cast<char>(label[0] - 'a' + 'A');
    return label;
}

bool NodeMatches(const tthemenode& node, const std::string& file, const std::string& themeId) {
    return (file.empty() || SameText(node.libraryFile.string(), file)) &&
           (themeId.empty() || SameText(node.themeId, themeId));
}

const tthemenode* FindNode(const std::string& file, const std::string& themeId, int* library,
                           int* theme) {
    const auto& tree = ThemeSelection.Tree;
    for (std::size_t l = 0; l < tree.size(); ++l) {
        for (std::size_t t = 0; t < tree[l].themes.size(); ++t) {
            if (NodeMatches(tree[l].themes[t], file, themeId)) {
                if (library)
                    *library = static_cast<int>(l);
                if (theme)
                    *theme = static_cast<int>(t);
                return &tree[l].themes[t];
            }
        }
    }
    return nullptr;
}

// Each library's modification time and size, for telling a file that is still being written.
std::vector<std::string> WatchStamps(const std::vector<std::string>& list) {
    std::vector<std::string> stamps;
    stamps.reserve(list.size());
    for (const std::string& line : list) {
        const fs::path file = ScanLinePath(line);
        std::error_code timeError;
        std::error_code sizeError;
        const auto time = fs::last_write_time(file, timeError);
        const auto size = fs::file_size(file, sizeError);
        stamps.push_back(
            (timeError ? std::string("0") : std::to_string(time.time_since_epoch().count())) + ' ' +
            (sizeError ? std::string("0") : std::to_string(size)) + '\x01' + file.string());
    }
    return stamps;
}

// False while a library of the list cannot be opened and has not stayed so for the give-up
// count of ticks. Counts the ticks of each unreadable one; one that has stayed unreadable that
// long is left out of the tree (its line keeps the stamp "0") until it changes again.
bool AllReadableOrGivenUp(const std::vector<std::string>& list,
                          std::vector<std::pair<std::string, int>>& ticks) {
    std::vector<std::pair<std::string, int>> counted;
    bool waiting = false;
    for (const std::string& line : list) {
        const fs::path file = ScanLinePath(line);
        if (CanOpenLibrary(file))
            continue;
        int count = 1;
        for (const auto& [name, before] : ticks)
            if (name == file.string())
                count = before + 1;
        counted.emplace_back(file.string(), count);
        if (count < UnreadableGiveUpTicks)
            waiting = true;
        else if (count == UnreadableGiveUpTicks)
            AddLogLine("Theme library " + file.string() + " cannot be opened; left out");
    }
    ticks = std::move(counted);
    return !waiting;
}

bool ThemeLoaded() {
    return ThemeSelection.ThemeApplied && !Settings.theme.libraryFile.empty();
}

// Ends a theme change whatever happened: the flag off, the window usable again.
class ThemeChangeScope {
public:
    ThemeChangeScope() {
        ClientState.shell.ThemeChanging = 1;
        SetUIState(uiThemeChange, true);
    }
    ~ThemeChangeScope() {
        ClientState.shell.ThemeChanging = 0;
        try {
            SetUIState(uiThemeChange, true);
        } catch (...) {
            AddLogLine("Error in SelectTheme");
        }
    }
    ThemeChangeScope(const ThemeChangeScope&) = delete;
    ThemeChangeScope& operator=(const ThemeChangeScope&) = delete;
};

ThemeLoad LoadNode(const std::string& file, const std::string& themeId, bool fallback) {
    const tthemenode* found = FindNode(file, themeId, nullptr, nullptr);
    if (!found)
        return ThemeLoad::NotFound;
    const tthemenode node = *found;
    std::string message;
    bool loaded = false;
    {
        ThemeChangeScope changing;
        ThemeSelection.ThemeApplied = false;
        Audio().MusicStopRequest();
        ThemeSelection.ChangeTimerRunning = false;
        MainWindow().ShowLoading();
        KlbResult result;
        Skins().ResetSkins();
        try {
            result = LoadTheme(
                node.libraryFile, node.themeId, Settings.theme,
                [](int position, int maximum) { MainWindow().LoadingProgress(position, maximum); },
                ProgramFolder);
        } catch (...) {
            MainWindow().HideLoading();
            throw;
        }
        MainWindow().HideLoading();
        message = result.message;
        if (result)
            loaded = MainWindow().ApplyTheme(message);
    }
    if (loaded) {
        ThemeSelection.ThemeApplied = true;
        FillMusicList();
        ThemeSetMusic(ThemeSelection.MusicFileText, nullptr, true, true);
        ThemeSelection.ChangeTimerRunning = true;
        return ThemeLoad::Requested;
    }
    AddLogLine("Theme \"" + node.name + "\" of " + node.libraryFile.string() + " did not load");
    if (!message.empty())
        MainWindow().ShowMessage(message);
    if (fallback)
        return ThemeLoad::Failed;
    const ThemeLoad first = LoadNode({}, {}, true);
    SelectThemeNode({}, {});
    return first == ThemeLoad::Requested ? ThemeLoad::Fallback : ThemeLoad::Failed;
}

}  // namespace

const tthemenode* TThemeSelection::Selected() const {
    if (SelectedLibrary < 0 || static_cast<std::size_t>(SelectedLibrary) >= Tree.size())
        return nullptr;
    const auto& themes = Tree[static_cast<std::size_t>(SelectedLibrary)].themes;
    if (SelectedTheme < 0 || static_cast<std::size_t>(SelectedTheme) >= themes.size())
        return nullptr;
    return &themes[static_cast<std::size_t>(SelectedTheme)];
}

void ThemeScanFolder(const fs::path& folder, std::vector<std::string>& list) {
    ScanFolder(folder, list, 0);
}

fs::path ScanLinePath(const std::string& line) {
    const std::size_t sep = line.find('\x01');
    return sep == std::string::npos ? fs::path() : fs::path(line.substr(sep + 1));
}

void ClearThemeTree() {
    ThemeSelection.Tree.clear();
    ThemeSelection.SelectedLibrary = -1;
    ThemeSelection.SelectedTheme = -1;
}

void AddLibraryThemes(const fs::path& file) {
    std::vector<tthemeidentry> mains = ListLibraryMains(file);
    if (mains.empty())
        return;
    TThemeLibraryNode library;
    library.label = LibraryLabel(file);
    library.file = file;
    for (tthemeidentry& main : mains)
        library.themes.push_back({file, std::move(main.ThemeIdList), std::move(main.name)});
    ThemeSelection.Tree.push_back(std::move(library));
}

void FillThemeTree(const std::vector<std::string>& list) {
    ClearThemeTree();
    for (const std::string& line : list) AddLibraryThemes(ScanLinePath(line));
}

void RescanThemes() {
    TThemeSelection& s = ThemeSelection;
    s.Updating = true;
    ClearThemeTree();
    s.ScanList.clear();
    ThemeScanFolder(ProgramFolder, s.ScanList);
    FillThemeTree(s.ScanList);
    s.Updating = false;
}

ThemeLoad SelectTheme(const fs::path& file, const std::string& themeId) {
    struct WatchAgain {
        ~WatchAgain() { ThemeSelection.ChangeTimerRunning = true; }
    } watchAgain;
    return LogErrorsWith([&] { return "SelectTheme " + file.string() + " " + themeId; },
                         [&] { return LoadNode(file.string(), themeId, false); });
}

bool SelectThemeNode(const fs::path& file, const std::string& themeId) {
    TThemeSelection& s = ThemeSelection;
    int library = -1;
    int theme = -1;
    if (!FindNode(file.string(), themeId, &library, &theme))
        return false;
    const bool updating = s.Updating;
    s.Updating = true;
    s.SelectedLibrary = library;
    s.SelectedTheme = theme;
    s.Updating = updating;
    return true;
}

void FillMusicList() {
    ThemeSelection.MusicList = ListMusicEntries(Settings.theme);
    ThemeSelection.MusicIndex = 0;
}

bool ThemeSetMusic(const std::string& file, TZRC* entry, bool takeFirst, bool restart) {
    TThemeSelection& s = ThemeSelection;
    TZRTheme& theme = Settings.theme;
    if (restart)
        Audio().MusicStopRequest();
    s.PlayTag = 0;
    bool chosen = false;
    std::error_code ec;
    if (!file.empty() && fs::is_regular_file(fs::path(file), ec)) {
        s.MusicFileText = file;
        theme.externalMusicFile = file;
        chosen = true;
    } else {
        s.MusicFileText.clear();
        theme.externalMusicFile.clear();
    }
    const auto& list = s.MusicList;
    auto listed = std::find(list.begin(), list.end(), entry);
    if (entry && listed == list.end()) {
        AddLogLine("Music entry is not one of the theme's");
        entry = nullptr;
    }
    if (!entry && !chosen && takeFirst && !list.empty()) {
        entry = list.front();
        listed = list.begin();
    }
    if (entry) {
        theme.selectedMusic = entry;
        LoadMusicEntry(*entry, ProgramFolder);
        s.MusicIndex = static_cast<int>(listed - list.begin()) + 1;
        chosen = true;
    } else if (!chosen) {
        s.MusicIndex = 0;
        theme.selectedMusic = nullptr;
    }
    if (restart && ClientState.game.GameRunning)
        Audio().MusicRequest();
    return chosen;
}

std::string BuildThemeSelection() {
    if (!ThemeLoaded())
        return {};
    const TZRTheme& theme = Settings.theme;
    std::string value =
        theme.libraryFile.string() + '\x01' + theme.themeId + '\x01' + theme.externalMusicFile;
    if (theme.selectedMusic)
        value += '\x01' + theme.selectedMusic->name;
    return value;
}

bool ApplyThemeSelection(const std::string& value) {
    RescanThemes();
    const std::string file = TokenAt(1, value, '\x01');
    const std::string themeId = TokenAt(2, value, '\x01');
    const std::string music = TokenAt(3, value, '\x01');
    const std::string entryName = TokenAt(4, value, '\x01');
    switch (SelectTheme(file, themeId)) {
        case ThemeLoad::Requested: {
            TZRC* entry = entryName.empty() ? nullptr : FindMusicEntry(entryName, Settings.theme);
            ThemeSetMusic(music, entry, false, true);
            return true;
        }
        case ThemeLoad::Fallback:
            return true;
        case ThemeLoad::NotFound: {
            const ThemeLoad first = SelectTheme({}, {});
            return first == ThemeLoad::Requested || first == ThemeLoad::Fallback;
        }
        case ThemeLoad::Failed:
            break;
    }
    return false;
}

ThemeWatch CheckThemeChange() {
    // A script or a message box of the skin is running: its elements must stay until it ends.
    if (Skins().Busy())
        return ThemeWatch::Busy;
    TThemeSelection& s = ThemeSelection;
    std::vector<std::string> fresh;
    ThemeScanFolder(ProgramFolder, fresh);
    if (fresh == s.ScanList) {
        s.PendingStamps.clear();
        s.UnreadableTicks.clear();
        return ThemeWatch::Unchanged;
    }
    if (!AllReadableOrGivenUp(fresh, s.UnreadableTicks))
        return ThemeWatch::Busy;  // a library being written: look again at the next tick
    // A library still growing changes its stamp between ticks; read it once it holds still. So
    // a library the editor saves is reloaded one tick after the save, never half written.
    std::vector<std::string> stamps = WatchStamps(fresh);
    if (stamps != s.PendingStamps) {
        s.PendingStamps = std::move(stamps);
        return ThemeWatch::Settling;
    }
    s.PendingStamps.clear();
    s.UnreadableTicks.clear();
    s.Updating = true;
    FillThemeTree(fresh);
    s.ScanList = std::move(fresh);
    s.Updating = false;
    const fs::path file = Settings.theme.libraryFile;
    const std::string themeId = Settings.theme.themeId;
    const auto& libraries = Settings.theme.LibraryList;
    const bool changed = std::any_of(libraries.begin(), libraries.end(), [&](const auto& line) {
        return std::find(s.ScanList.begin(), s.ScanList.end(), line) == s.ScanList.end();
    });
    if (changed || !SelectThemeNode(file, themeId)) {
        // A changed library reloads the theme; a theme gone from the tree gives the first.
        if (!changed || SelectTheme(file, themeId) == ThemeLoad::NotFound)
            SelectTheme({}, {});
        SelectThemeNode(Settings.theme.libraryFile, Settings.theme.themeId);
        Skins().FireSkinEvent("onloadtheme");
        return ThemeWatch::Reloaded;
    }
    return ThemeWatch::Rescanned;
}

void FreeThemeSelection() {
    TThemeSelection& s = ThemeSelection;
    s.ChangeTimerRunning = false;
    s.PendingStamps.clear();
    s.UnreadableTicks.clear();
    ClearThemeTree();
    s.ScanList.clear();
    s.MusicList.clear();
    s.MusicIndex = 0;
    s.PlayTag = 0;
    s.Updating = false;
    s.ThemeApplied = false;
}

}  // namespace pk
