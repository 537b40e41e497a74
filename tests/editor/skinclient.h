#pragma once
// The client's side of the skin preview's tests: a library's skin laid out and painted by the
// client's skin engine on a form of a given size. Its own file, because the client's theme
// entry and the editor's share a name.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "gfx/surface.h"

namespace pk::test {

struct ClientSkin {
    std::map<std::string, PixelRect> rects;  // by lower-cased element name
    Surface16 picture;                       // on a white form
};

// The skin `skinName` of the library's theme `themeId`, designed for refW x refH, on a form of
// w x h. With a program folder the theme is loaded as the client loads it, with the libraries
// it requires found there.
ClientSkin ClientLayout(const std::filesystem::path& library, const std::string& themeId,
                        const std::string& skinName, int refW, int refH, int w, int h,
                        const std::filesystem::path& programFolder = {});

// What the client's LoadTheme makes of a library: whether it loads, the width of the main
// bitmap it selects, and its sounds (by name) and music.
struct ClientTheme {
    bool loaded = false;
    int mainWidth = 0;
    std::vector<std::string> sounds;
    std::vector<std::string> music;
};
ClientTheme ClientLoadTheme(const std::filesystem::path& library, const std::string& themeId,
                            const std::filesystem::path& programFolder);

}  // namespace pk::test
