// Feeds arbitrary "gamesets.cfg" images to the game-set reader as both file versions. The sets
// it keeps must save and load back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/zrgamesetlist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (int version : {0, 100}) {
        pk::GameSetList.clear();
        pk::LoadGameSets(bytes, version);
        for (auto& set : pk::GameSetList) set->builtin = 0;
        const std::string saved = pk::SaveGameSets();
        const std::size_t count = pk::GameSetList.size();
        pk::GameSetList.clear();
        if (!pk::LoadGameSets(saved, 100) || pk::GameSetList.size() != count ||
            pk::SaveGameSets() != saved)
            std::abort();
    }
    int version = 0;
    if (pk::GameSetFileVersionOf(bytes, version)) {
        pk::GameSetList.clear();
        pk::LoadGameSets(bytes, version);
    }
    pk::GameSetList.clear();
    return 0;
}
