// Writes the small synthetic theme library that `make run` starts the client on, until the
// default theme exists: stagetheme <file.klb>.
#include <cstdio>
#include <filesystem>

#include "klb/klbformat.h"
#include "support/synthetic_theme.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: stagetheme <file.klb>\n");
        return 2;
    }
    const std::filesystem::path file = argv[1];
    std::vector<pk::KlbEntry> entries = pk::test::BasicTheme();
    std::filesystem::create_directories(file.parent_path());
    const auto count = static_cast<int32_t>(entries.size());
    if (pk::SaveKlbLibrary(file, entries, count) != pk::KlbStatus::Ok) {
        std::fprintf(stderr, "stagetheme: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
