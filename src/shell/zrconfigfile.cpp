#include "shell/zrconfigfile.h"

#include "core/zrconst.h"
#include "core/zrgamesetlist.h"
#include "core/zrlog.h"
#include "game/zrgamewindow.h"
#include "game/zrpartyline.h"
#include "platform/atomicfile.h"
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

TXSettings ReadRecord(const std::filesystem::path& file) {
    TXSettings record;
    FileReadError error = FileReadError::None;
    const auto bytes = ReadFileBytes(file, MaxInflatedSize, &error);
    if (!bytes) {
        if (error != FileReadError::CannotOpen)
            AddLogLine("Configuration " + file.string() + " cannot be read; defaults are used");
        return record;
    }
    if (!record.LoadFromCompressed(*bytes)) {
        if (!bytes->empty())
            AddLogLine("Configuration " + file.string() + " is damaged; defaults are used");
        record.Clear();
    }
    return record;
}

void ReadGameSets(const std::filesystem::path& folder) {
    GameSetList.clear();
    LoadGameSets(BuiltInGameSetBlock(), GameSetFileVersion);
    const auto bytes = ReadFileBytes(folder / GameSetFileName, MaxInflatedSize);
    int version = 0;
    if (bytes && GameSetFileVersionOf(*bytes, version))
        LoadGameSets(*bytes, version);
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

bool LoadConfig(const std::filesystem::path& file) {
    const TXSettings record = ReadRecord(file);
    ReadConfigRecord(record);
    VersionChanged = Config.ver != ConfigVersion;
    Lobby().ApplyConfig(Config);
    GameWindow().SetBoxFonts(Config.fplaygamechat, Config.fattacks);
    RoomView().SetConfig(RoomConfigFrom(Config));
    ReadGameSets(file.parent_path());
    const bool themed = ApplyThemeSelection(Config.theme2);
    if (themed)
        ApplyWindowPlace(Config.window);
    else
        MainWindow().ShowMessage(NoThemeMessage);
    Skins().FireSkinEvent("onstart");
    return themed;
}

bool SaveConfig(const std::filesystem::path& file) {
    Lobby().GatherConfig(Config);
    GameWindow().GetBoxFonts(Config.fplaygamechat, Config.fattacks);
    GatherRoomConfig(Config);
    std::string theme2 = BuildThemeSelection();
    if (theme2.empty())
        theme2 = Config.theme2;  // no theme loaded: keep the player's choice for the next start
    ShellWindow& window = MainWindow();
    const WindowRect place = window.Placement();
    const TConfigWindow stored{place.x, place.y, place.width, place.height,
                               static_cast<uint8_t>(window.Maximised() ? 1 : 0)};
    const TXSettings record = WriteConfigRecord(theme2, stored);
    bool saved = WriteFileAtomic(file.parent_path() / GameSetFileName, SaveGameSets());
    if (!saved)
        AddLogLine("Game sets could not be saved");
    if (!WriteFileAtomic(file, record.SaveToCompressed())) {
        AddLogLine("Configuration could not be saved");
        saved = false;
    }
    return saved;
}

}  // namespace pk
