// A scripted game-server region to try the client's pinger by hand on loopback:
//   regionanswerer [port] [mode]     (defaults 31470 and "answer")
// Modes: answer, garbage, silent, close, reset.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "peers/region_answerer.h"

using namespace pk::peers;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int port = argc > 1 ? std::atoi(argv[1]) : 31470;
    const char* mode = argc > 2 ? argv[2] : "answer";
    RegionAnswerer region;
    if (std::strcmp(mode, "garbage") == 0) {
        region.mode = RegionMode::Garbage;
    } else if (std::strcmp(mode, "silent") == 0) {
        region.mode = RegionMode::Silent;
    } else if (std::strcmp(mode, "close") == 0) {
        region.mode = RegionMode::Close;
    } else if (std::strcmp(mode, "reset") == 0) {
        region.mode = RegionMode::Reset;
    } else if (std::strcmp(mode, "answer") != 0) {
        std::fprintf(stderr, "unknown mode %s\n", mode);
        return 1;
    }
    if (port <= 0 || port > 65535 || !region.Listen(static_cast<std::uint16_t>(port))) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("region answerer (%s) on 127.0.0.1:%d\n", mode, port);
    return QCoreApplication::exec();
}
