// Feeds arbitrary "gamesets.cfg" images to the game-set reader as both file versions. The sets
// it keeps, and the damaged entries it keeps unread, must save and load back unchanged. (A
// damaged entry of a version 0 file is written back in its coded form, which version 100 may
// read as a set after all: such an image settles after one more round.)
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/zrgamesetlist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto reload = [](const std::string& image, pk::GameSetLoadReport& report) {
        pk::ClearGameSets();
        pk::LoadGameSets(image, 100, pk::GameSetSource::PlayerFile, &report);
        return pk::SaveGameSets();
    };
    for (int version : {0, 100}) {
        pk::ClearGameSets();
        pk::GameSetLoadReport first;
        pk::LoadGameSets(bytes, version, pk::GameSetSource::PlayerFile, &first);
        std::string saved = pk::SaveGameSets();
        pk::GameSetLoadReport again;
        std::string resaved = reload(saved, again);
        if (again.cut || again.loaded + again.unread != first.loaded + first.unread)
            std::abort();
        if (version == 0 && first.unread > 0) {
            saved = resaved;
            resaved = reload(saved, again);
        }
        if (resaved != saved)
            std::abort();
    }
    int version = 0;
    if (pk::GameSetFileVersionOf(bytes, version)) {
        pk::ClearGameSets();
        pk::LoadGameSets(bytes, version);
    }
    pk::ClearGameSets();
    return 0;
}
