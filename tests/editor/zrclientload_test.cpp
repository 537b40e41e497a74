// The client's theme loader seen from the editor's tests. The client and the
// editor each have their own entry classes of the same names, so the loader is
// reached from this file alone.
#include "editor/clientload.h"
#include "klb/zrtheme.h"

namespace pk::test {

ClientThemeSummary LoadWithClient(const std::filesystem::path& file, const std::string& themeId,
                                  const std::filesystem::path& programFolder) {
    ClientThemeSummary out;
    TZRTheme theme;
    KlbResult loaded = LoadTheme(file, themeId, theme, {}, programFolder);
    out.ok = loaded.ok();
    out.message = loaded.message;
    if (TZRMainbmp* main = theme.draw.mainbmp) {
        out.hasMain = true;
        out.minWindowWidth = main->minWindowWidth;
        out.largeBlockSize = main->largeBlockSize;
        out.imageWidth = main->image.width;
        if (main->mask)
            out.maskPixels = main->mask->pixels;
    }
    out.hasDetail = theme.detailbmp != nullptr;
    for (const auto& e : theme.entries) {
        out.sounds += e->sound != nullptr;
        out.tunes += e->music != nullptr;
        if (e->skin)
            out.skins.push_back({e->name, e->skin->width, e->skin->maskSize});
    }
    if (TZRC* tune = FindMusicEntry("Music", theme))
        out.tune = ReadEntryPayload(*tune).value_or("");
    return out;
}

}  // namespace pk::test
