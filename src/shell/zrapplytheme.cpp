// Applying a freshly loaded theme to the client: refused before anything changes when its
// metrics are unusable; otherwise the skins, the field metrics and surfaces, the in-game
// display, the icons and every interface state follow it.
#include <exception>

#include "core/zrconst.h"
#include "core/zrlog.h"
#include "display/zrfieldbitmaps.h"
#include "display/zrfieldpaint.h"
#include "display/zrgamedisplay.h"
#include "game/zrgame.h"
#include "game/zrgameio.h"
#include "game/zrgamethread.h"
#include "room/zrroomhost.h"
#include "shell/zrshell.h"
#include "shell/zrskinhooks.h"
#include "shell/zruistate.h"
#include "skin/zrskin.h"
#include "skin/zrskinpaint.h"

namespace pk {

namespace {

constexpr const char* ThemeSetupError = "Serious error setting up theme!";

bool Within(int value, int low, int high) {
    return value >= low && value <= high;
}

// The painter's cell grid bounds the field; block and window sizes must be positive and sane.
bool UsableMetrics(const TZRMainbmp& m) {
    return Within(m.fieldWidth, MinThemeFieldCells, CellGridColumns) &&
           Within(m.fieldHeight, MinThemeFieldCells, CellGridRows) &&
           Within(m.largeBlockSize, 1, MaxThemeBlockSize) &&
           Within(m.smallBlockSize, 1, MaxThemeBlockSize) &&
           Within(m.minWindowWidth, 1, MaxThemeWindowSize) &&
           Within(m.minWindowHeight, 1, MaxThemeWindowSize);
}

void ApplyIcons() {
    TSkinElementRec* icons = FindElementAnywhere("icons");
    if (!icons)
        return;
    LoadElementBitmaps(*icons);
    if (icons->image)
        SetIcons(*icons->image);
}

}  // namespace

bool ApplyThemeToClient(std::string& message) {
    const TZRMainbmp* main = Settings.theme.draw.mainbmp;
    if (!main || !UsableMetrics(*main)) {
        message = ThemeSetupError;
        return false;
    }
    try {
        Skins().ApplySkinTheme(Settings.theme, main->minWindowWidth, main->minWindowHeight);
        FieldWidth = main->fieldWidth;
        FieldHeight = main->fieldHeight;
        BlockSize = main->largeBlockSize;
        SmallBlockSize = main->smallBlockSize;
        CreatePlayerFieldBitmaps();
        InvalidateCellGrids();
        GameDisplayThemeApplied();
        ApplyIcons();
        ClientState.shell.ThemeChanging = 0;
        MainWindow().RefreshThemePreview();
        SetUIState(uiAll, false);
        updatestats(rfEverything, 0);
    } catch (...) {
        std::string what = "unknown exception";
        try {
            std::rethrow_exception(std::current_exception());
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
        AddLogLine("Error in ApplyTheme: " + what);
        message = ThemeSetupError;
        return false;
    }
    return true;
}

}  // namespace pk
