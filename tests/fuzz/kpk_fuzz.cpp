// Old theme packs as any bytes. The first byte chooses: bit 0 starts the pack's text with a
// line naming the bitmap "b.bmp", bit 1 takes the bitmap's bytes from the input (after the
// first zero byte) instead of a small valid one. The rest up to the zero byte is the pack's
// text. Importing never fails hard, never takes a file from outside the pack's folder, and a
// theme made has a bitmap at least as wide as the tiles need.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "editor/zrpack.h"
#include "gfx/dib.h"

namespace {

void Write(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace fs = std::filesystem;
    static const fs::path root =
        fs::temp_directory_path() / ("kpk_fuzz_" + std::to_string(getpid()));
    static const fs::path pack = root / "Pack";
    static const fs::path prog = root / "prog";
    static bool made = [] {
        fs::create_directories(pack / "Snd");
        fs::create_directories(prog);
        Write(pack / "Snd" / "Drop.wav", "RIFF");
        Write(pack / "tune.MID", "MThd");
        return true;
    }();
    (void)made;
    static const std::string validBmp = *pk::EncodeBmp(pk::DibBitmap(30, 24), 24);
    if (size == 0)
        return 0;
    const uint8_t mode = data[0];
    const std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t cut = input.find('\0');
    std::string text = mode & 1 ? "[Graphics]\r\nbitmaps_file=B.BMP\r\n" : "";
    text += input.substr(0, cut);
    Write(pack / "old.kpk", text);
    Write(pack / "b.bmp", !(mode & 2)                     ? std::string_view(validBmp)
                          : cut == std::string_view::npos ? std::string_view()
                                                          : input.substr(cut + 1));

    pk::KledDoc doc(prog);
    pk::CommandHost host;
    pk::KledCommands commands(doc, host);
    const pk::TZRC* main = pk::ImportOldThemePack(commands, pack / "old.kpk", nullptr);
    if (main) {
        const auto image = pk::DecodeBmp(main->entry.image);
        if (!image || image->width < pk::kPackBitmapWidth)
            std::abort();
    }
    for (const auto& e : doc.list())
        if (!e->heldFile.empty() && e->heldFile.string().rfind(pack.string(), 0) != 0)
            std::abort();
    return 0;
}
