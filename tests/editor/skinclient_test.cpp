// Helpers only: the client's layout of a library's skin (skinclient.h).
#include "editor/skinclient.h"

#include "skin/skin_fixture.h"

namespace pk::test {

ClientSkin ClientLayout(const std::filesystem::path& library, const std::string& themeId,
                        const std::string& skinName, int refW, int refH, int w, int h,
                        const std::filesystem::path& programFolder) {
    ClientSkin out;
    TZRTheme theme;
    std::string references;
    if (programFolder.empty())
        EXPECT_TRUE(ReadThemeLibrary(library, themeId, references, {}, theme).ok());
    else
        EXPECT_TRUE(LoadTheme(library, themeId, theme, {}, programFolder).ok());
    InitSkins(w, h);
    RecordingEvents events;
    RecordingPainter painter;
    SetSkinEvents(&events);
    SetSkinElementPainter(&painter);
    {
        FakeForm form(w, h);
        form.colour = 0xFFFFFF;
        RegisterSkin(&form, skinName);
        BuildSkinElements(theme);
        tskinf* skin = FindSkin(&form);
        skin->referenceWidth = refW;
        skin->referenceHeight = refH;
        ResizeSkin(&form);
        PaintSkinRect(&form, {0, 0, w, h});
        for (auto& e : skin->elements) out.rects[e->name] = e->rect;
        out.picture = form.screen;
        FreeSkins();
    }
    SetSkinEvents(nullptr);
    SetSkinElementPainter(nullptr);
    return out;
}

ClientTheme ClientLoadTheme(const std::filesystem::path& library, const std::string& themeId,
                            const std::filesystem::path& programFolder) {
    ClientTheme out;
    TZRTheme theme;
    const KlbResult r = LoadTheme(library, themeId, theme, {}, programFolder);
    EXPECT_TRUE(r.ok()) << r.message;
    out.loaded = r.ok();
    if (theme.draw.mainbmp)
        out.mainWidth = theme.draw.mainbmp->image.width;
    for (auto& e : theme.entries) {
        if (e->kind == KlbKind::Sound)
            out.sounds.push_back(e->name);
        if (e->kind == KlbKind::Music)
            out.music.push_back(e->name);
    }
    FreeTheme(theme);
    return out;
}

}  // namespace pk::test
