// themebuild MANIFEST OUTPUT.KLB: builds a theme library from its manifest; the build runs it
// to make the default library.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "apps/themebuild/themebuild.h"
#include "platform/atomicfile.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: themebuild <manifest> <library.klb>\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "themebuild: cannot read %s\n", argv[1]);
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const pk::themebuild::BuildResult built = pk::themebuild::BuildTheme(text.str());
    if (!built.ok) {
        std::fprintf(stderr, "%s:%s\n", argv[1], built.error.c_str());
        return 1;
    }
    if (!pk::WriteFileAtomic(argv[2], pk::themebuild::LibraryBytes(built.entries))) {
        std::fprintf(stderr, "themebuild: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
