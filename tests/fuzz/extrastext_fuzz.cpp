// The room message and ban-list files of the extra game settings window, as any bytes: a loaded
// text is lines joined by CR LF, a text saved and loaded again is the very text saved (empty
// lines at its end included), and the window's model sends it only when it fits one message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "fuzz_sandbox.h"
#include "game/zrgame.h"
#include "room/zrgextras.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Memory-backed: every save is flushed.
    static const std::string file =
        (pk::fuzz::Sandbox("pk_extrastext_fuzz_") / "text.txt").string();
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const auto text = pk::LoadTextFile(file);
    if (!text) {
        std::abort();  // a small regular file always reads
    }
    for (std::size_t i = 0; i < text->size(); ++i) {
        const char c = (*text)[i];
        const bool pairedCr = c == '\r' && i + 1 < text->size() && (*text)[i + 1] == '\n';
        const bool pairedLf = c == '\n' && i > 0 && (*text)[i - 1] == '\r';
        if ((c == '\r' && !pairedCr) || (c == '\n' && !pairedLf)) {
            std::abort();
        }
    }
    if (!pk::SaveTextFile(file, *text)) {
        std::abort();
    }
    const auto saved = pk::LoadTextFile(file);
    if (saved != text) {
        std::abort();
    }
    pk::TExtrasModel model;
    pk::Settings.rules.RoomMotd.clear();
    pk::Settings.rules.BanList.clear();
    model.Load();
    model.motd = *text;
    model.banList = *text;
    const bool fits = model.Problem().empty();
    if (model.Close() != fits ||
        (pk::Settings.rules.RoomMotd == *text) != (fits || text->empty())) {
        std::abort();
    }
    return 0;
}
