// "kled.ini" as any bytes: reads never fail or run past the buffer, and a
// value written reads back as written.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "editor/zrini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("kledini_fuzz_" + std::to_string(getpid()));
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    for (const char* key : {"file0", "file1", "x"})
        if (pk::ReadIniValue("History", key, file).size() >= pk::kIniValueBuffer)
            std::abort();
    if (!pk::WriteIniValue("History", "file7", file, "/a/b.klb"))
        return 0;
    if (pk::ReadIniValue("history", "FILE7", file) != "/a/b.klb")
        std::abort();
    pk::WriteIniValue("History", std::nullopt, file, std::nullopt);
    if (!pk::ReadIniValue("History", "file7", file).empty())
        std::abort();
    return 0;
}
