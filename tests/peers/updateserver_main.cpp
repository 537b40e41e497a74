// A scripted update server to try the client's update by hand on loopback:
//   updateserver [port] patch FILE        serves FILE as the patch (default)
//   updateserver [port] wrongcrc FILE     the same with a CRC that does not match
//   updateserver [port] redirect HOST PORT
//   updateserver [port] error TEXT...
//   updateserver [port] close             accepts, then closes without a word
// The port defaults to 16705. Every request is printed.
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "peers/update_server.h"

using namespace pk::peers;

namespace {

bool ReadFile(const char* path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    bytes = text.str();
    return static_cast<bool>(in);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: updateserver [port] patch FILE | wrongcrc FILE | redirect HOST PORT | "
                 "error TEXT... | close\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    int arg = 1;
    int port = 16705;
    if (arg < argc && std::atoi(argv[arg]) > 0) {
        port = std::atoi(argv[arg++]);
    }
    if (arg >= argc) {
        return Usage();
    }
    const std::string mode = argv[arg++];
    UpdateServerPeer server;
    std::string bytes;
    if ((mode == "patch" || mode == "wrongcrc") && arg < argc) {
        if (!ReadFile(argv[arg], bytes)) {
            std::fprintf(stderr, "cannot read %s\n", argv[arg]);
            return 1;
        }
        server.script = mode == "patch" ? ServePatch(bytes) : ServeWrongCrc(bytes);
    } else if (mode == "redirect" && arg + 1 < argc) {
        server.script =
            ServeRedirect(argv[arg], static_cast<std::uint16_t>(std::atoi(argv[arg + 1])));
    } else if (mode == "error") {
        std::string text;
        for (; arg < argc; ++arg) {
            text += (text.empty() ? "" : " ") + std::string(argv[arg]);
        }
        server.script = ServeError(text);
    } else if (mode == "close") {
        server.script = CloseAtOnce();
    } else {
        return Usage();
    }
    if (port <= 0 || port > 65535 || !server.Listen(static_cast<std::uint16_t>(port))) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("update server (%s) on 127.0.0.1:%d\n", mode.c_str(), port);
    const auto report = [&server] {
        for (const auto& request : server.Requests()) {
            std::printf("request: %s\n", request.c_str());
        }
    };
    auto previous = server.script;
    server.script = [previous, report](UpdateServerPeer& s, PeerConnection& c) {
        report();
        previous(s, c);
    };
    return app.exec();
}
