// What the client's theme loader made of a library (zrclientload_test.cpp).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pk::test {

struct ClientThemeSummary {
    bool ok = false;
    std::string message;
    bool hasMain = false;
    int32_t minWindowWidth = 0;
    int32_t largeBlockSize = 0;
    int imageWidth = 0;
    std::vector<uint32_t> maskPixels;
    bool hasDetail = false;
    int sounds = 0;
    int tunes = 0;
    struct Skin {
        std::string name;
        int32_t width = 0;
        int32_t maskSize = 0;
    };
    std::vector<Skin> skins;
    std::string tune;
};

ClientThemeSummary LoadWithClient(const std::filesystem::path& file, const std::string& themeId,
                                  const std::filesystem::path& programFolder);

}  // namespace pk::test
