#include "shell/zrconfigfile.h"

#include <optional>
#include <string>
#include <vector>

#include "core/zrconst.h"
#include "core/zrgamesetlist.h"
#include "core/zrkeyvalue.h"
#include "core/zrlog.h"
#include "display/zrgamewindow.h"
#include "platform/atomicfile.h"
#include "room/zrpartyline.h"
#include "shell/zrconfig.h"
#include "shell/zrlobbyhooks.h"
#include "shell/zrshell.h"
#include "shell/zrskinhooks.h"
#include "shell/zrthemesel.h"
#include "shell/zrupdatehooks.h"

namespace pk {

namespace {

// The room window's keys; a font is set only when the file names one.
RoomWindowConfig RoomConfigFrom(const TConfig& c) {
    RoomWindowConfig r;
    r.gstatsw = c.gstatsw;
    r.gstatsheight = c.gstatsheight;
    r.gstatsexpand = c.gstatsexpand;
    r.fgamechat = c.fgamechat;
    r.fgamestats = c.fgamestats;
    r.chatFontSet = r.statsFontSet = true;
    return r;
}

void GatherRoomConfig(TConfig& c) {
    RoomWindowConfig r = RoomConfigFrom(c);
    RoomView().GetConfig(r);
    c.gstatsw = r.gstatsw;
    c.gstatsheight = r.gstatsheight;
    c.gstatsexpand = r.gstatsexpand;
    c.fgamechat = r.chatFontSet ? r.fgamechat : FontSpec{};
    c.fgamestats = r.statsFontSet ? r.fgamestats : FontSpec{};
}

namespace fs = std::filesystem;

// A file that exists but cannot be read at all: damaged, too large, not readable by us.
bool UnreadableFile(const fs::path& file, FileReadError error) {
    std::error_code ec;
    return error != FileReadError::CannotOpen || fs::is_regular_file(file, ec);
}

// Moves a file that cannot be read at all aside as NAME.bad, so that the save at the close,
// which writes what this run has, does not destroy what the player had. A link is left in
// place, and its file is moved: the save then writes through the link again.
void KeepUnreadable(const fs::path& file, std::vector<std::string>& notes) {
    std::error_code ec;
    fs::path real = fs::is_symlink(file, ec) ? fs::weakly_canonical(file, ec) : file;
    if (ec)
        real = file;
    fs::path copy = real;
    copy += ".bad";
    fs::rename(real, copy, ec);
    if (ec) {
        AddLogLine(file.string() + " cannot be read, nor kept aside: " + ec.message());
        notes.push_back("Unable to read '" + file.string() + "'!");
        return;
    }
    AddLogLine(file.string() + " cannot be read; it is kept as " + copy.string());
    notes.push_back("Unable to read '" + file.string() + "'; it is kept as '" + copy.string() +
                    "'.");
}

TXSettings ReadRecord(const fs::path& file, std::vector<std::string>& notes) {
    TXSettings record;
    FileReadError error = FileReadError::None;
    const auto bytes = ReadFileBytes(file, MaxInflatedSize, &error);
    if (!bytes) {
        if (UnreadableFile(file, error))
            KeepUnreadable(file, notes);
        return record;
    }
    if (bytes->empty())
        return record;
    const std::optional<std::string> serial = InflateSerialForm(*bytes, MaxInflatedSize);
    if (!serial) {
        KeepUnreadable(file, notes);
        return record;
    }
    // A record cut inside its last pair keeps every pair before it: falling back to every
    // default would have the next save write the defaults over the player's settings.
    if (!record.LoadFromString(*serial))
        AddLogLine("Configuration " + file.string() + " is cut short; its last value is lost");
    return record;
}

void ReadGameSets(const fs::path& folder, std::vector<std::string>& notes) {
    ClearGameSets();
    LoadGameSets(BuiltInGameSetBlock(), GameSetFileVersion);
    const fs::path file = folder / GameSetFileName;
    FileReadError error = FileReadError::None;
    const auto bytes = ReadFileBytes(file, MaxInflatedSize, &error);
    if (!bytes) {
        if (UnreadableFile(file, error))
            KeepUnreadable(file, notes);
        return;
    }
    int version = 0;
    if (!GameSetFileVersionOf(*bytes, version))
        return;
    GameSetLoadReport report;
    LoadGameSets(*bytes, version, GameSetSource::PlayerFile, &report);
    if (report.other) {
        // The sets of a newer (or unknown) file are not ours to read, nor to write over: this
        // run's sets are not saved, and the player is told so.
        Config.loaded.keepGameSetFile = true;
        AddLogLine("Game sets " + file.string() + " are of version " + std::to_string(version) +
                   "; none is read and the file is left as it is");
        notes.push_back("'" + file.string() + "' is of another version (" +
                        std::to_string(version) +
                        ") and is left as it is: game sets made now will not be saved.");
    } else if (report.cut && report.loaded == 0 && report.unread == 0) {
        KeepUnreadable(file, notes);
    }
}

// Temporaries beside the files the close saves, left behind by a save that was killed.
void RemoveStaleSaves(const fs::path& file) {
    for (const fs::path& saved : {file, file.parent_path() / GameSetFileName})
        RemoveStaleTemporaries(saved, SaveTarget::UserFile);
    RemoveStaleTemporaries(ProgramFolder / "tmp.mid");
}

TConfigWindow WindowNow() {
    ShellWindow& window = MainWindow();
    const WindowRect place = window.Placement();
    return {place.x, place.y, place.width, place.height,
            static_cast<uint8_t>(window.Maximised() ? 1 : 0)};
}

void ApplyWindowPlace(const TConfigWindow& stored) {
    ShellWindow& window = MainWindow();
    if (stored.maximised == 1) {
        window.ShowWindow();
        window.SetFullScreen(true);
    } else if (stored.width != 0 && stored.height != 0) {
        window.SetPlacement({stored.x, stored.y, stored.width, stored.height});
    } else {
        const WindowRect screen = window.Screen();
        WindowRect place = window.Placement();
        place.x = CentredPosition(screen.width, place.width);
        place.y = CentredPosition(screen.height, place.height);
        window.SetPlacement(place);
    }
}

}  // namespace

int CentredPosition(int screen, int window) {
    return screen / 2 - window / 2;
}

bool LoadConfig(const fs::path& file) {
    RemoveStaleSaves(file);
    std::vector<std::string> notes;
    const TXSettings record = ReadRecord(file, notes);
    ReadConfigRecord(record);
    Config.loaded = TConfigLoaded{};
    VersionChanged = Config.ver != ConfigVersion;
    Lobby().ApplyConfig(Config);
    GameWindow().SetBoxFonts(Config.fplaygamechat, Config.fattacks);
    RoomView().SetConfig(RoomConfigFrom(Config));
    ReadGameSets(file.parent_path(), notes);
    if (!notes.empty()) {
        std::string text;
        for (const std::string& note : notes) text += (text.empty() ? "" : "\n") + note;
        MainWindow().ShowMessage(text);
    }
    const bool themed = ApplyThemeSelection(Config.theme2);
    if (themed)
        ApplyWindowPlace(Config.window);
    else
        MainWindow().ShowMessage(NoThemeMessage);
    // What the start-up left in force; the save compares it with what is in force then.
    Config.loaded.theme2 = BuildThemeSelection();
    Config.loaded.window = WindowNow();
    Skins().FireSkinEvent("onstart");
    return themed;
}

bool SaveConfig(const fs::path& file) {
    Lobby().GatherConfig(Config);
    GameWindow().GetBoxFonts(Config.fplaygamechat, Config.fattacks);
    GatherRoomConfig(Config);
    // A stored theme that failed to load gave way to another one, which sized the window for
    // itself: unless the player chose in this run, the player's own choice and place are
    // written back, not those of the stand-in.
    const TConfigLoaded& start = Config.loaded;
    std::string theme2 = BuildThemeSelection();
    if (theme2.empty() || (theme2 == start.theme2 && !Config.theme2.empty()))
        theme2 = Config.theme2;
    TConfigWindow place = WindowNow();
    const TConfigWindow& stored = Config.window;
    if (place == start.window && ((stored.width != 0 && stored.height != 0) || stored.maximised))
        place = stored;
    const TXSettings record = WriteConfigRecord(theme2, place);
    std::vector<fs::path> failed;
    const fs::path gameSets = file.parent_path() / GameSetFileName;
    if (!start.keepGameSetFile &&
        !WriteFileAtomic(gameSets, SaveGameSets(), SaveTarget::UserFile)) {
        AddLogLine("Game sets could not be saved");
        failed.push_back(gameSets);
    }
    if (!WriteFileAtomic(file, record.SaveToCompressed(), SaveTarget::UserFile)) {
        AddLogLine("Configuration could not be saved");
        failed.push_back(file);
    }
    if (failed.empty())
        return true;
    // The player hears once that what this run changed is lost, rather than finding out at
    // the next start.
    std::string text;
    for (const fs::path& f : failed)
        text += (text.empty() ? "" : "\n") + ("Unable to save to '" + f.string() + "'!");
    MainWindow().ShowMessage(text);
    return false;
}

}  // namespace pk
