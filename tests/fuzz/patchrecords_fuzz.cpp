// Update patches: whatever the records, the applier writes nothing outside the
// program folder. The first byte picks raw patch bytes or records whose
// payloads the harness compresses, so that the fuzzer reaches the file
// building and the difference streams behind valid zlib data.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "core/bytestream.h"
#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "core/zrzstream.h"
#include "update/zrpatch.h"

namespace {
namespace fs = std::filesystem;

const std::string kVictim = "outside the program folder";
const std::string kOld = "the file as it was before the patch, a little longer than a line";

fs::path Sandbox() {
    static const fs::path path = [] {
        // Memory-backed when there is such a folder: every run flushes its files.
        const fs::path base =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path p = base / ("pk_patch_fuzz_" + std::to_string(::getpid()));
        fs::remove_all(p);
        fs::create_directories(p / "outside");
        std::ofstream(p / "outside" / "victim.txt") << kVictim;
        // The fuzzer ends without running exit handlers: sandboxes of runs
        // that have ended are removed by the next one.
        for (const auto& entry : fs::directory_iterator(base)) {
            const std::string name = entry.path().filename().string();
            const std::string prefix = "pk_patch_fuzz_";
            if (name.rfind(prefix, 0) == 0 && entry.path() != p) {
                const long pid = std::atol(name.c_str() + prefix.size());
                if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
                    std::error_code ec;
                    fs::remove_all(entry.path(), ec);
                }
            }
        }
        return p;
    }();
    return path;
}

void Put(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A fresh program folder with a few files and a link that leads out.
fs::path FreshProgram() {
    const fs::path prog = Sandbox() / "prog";
    fs::remove_all(prog);
    fs::create_directories(prog);
    Put(prog / "a", kOld);
    Put(prog / "b" / "c", kOld + kOld);
    fs::create_directory_symlink(Sandbox() / "outside", prog / "out");
    fs::create_symlink(Sandbox() / "outside" / "victim.txt", prog / "v");
    return prog;
}

// type u8, name (u8 length), flag u8, CRC choice u8, payload (u16 length).
std::string Structured(std::string_view input) {
    pk::ByteReader in(input);
    pk::ByteWriter out;
    while (!in.atEnd()) {
        const std::uint8_t type = in.u8();
        const std::string name(in.bytes(in.u8()));
        const std::uint8_t flag = in.u8();
        const std::uint8_t crcChoice = in.u8();
        const std::string payload(in.bytes(in.u16()));
        if (!in.ok()) {
            break;
        }
        out.u8(type);
        out.lenString(name);
        const std::string packed = pk::Compress(payload, pk::CompressionLevel::Fastest);
        if (type != 11) {
            out.u32(static_cast<std::uint32_t>(packed.size()));
        }
        if (type == 12) {
            out.u32(crcChoice == 0   ? pk::StringCrc32(kOld)
                    : crcChoice == 1 ? pk::StringCrc32(kOld + kOld)
                                     : crcChoice);
        }
        out.u8(flag);
        if (type != 11) {
            out.bytes(packed);
        }
    }
    return out.out();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string patch = (data[0] & 1) ? std::string(input) : Structured(input);
    const fs::path prog = FreshProgram();
    Put(prog / "patch.tmp", patch);
    pk::PatchSetup setup;
    setup.programFolder = prog;
    setup.clientProgram = (prog / "pelkorin").string();
    pk::ApplyPatchFile(setup, (prog / "patch.tmp").string(), pk::StringCrc32(patch));
    pk::ClearClientLog();

    // Nothing but the two folders in the sandbox, and the outside one as it was.
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(Sandbox())) {
        const auto name = entry.path().filename();
        if (name != "prog" && name != "outside") {
            std::abort();
        }
        ++entries;
    }
    int outside = 0;
    for (const auto& entry : fs::recursive_directory_iterator(Sandbox() / "outside")) {
        (void)entry;
        ++outside;
    }
    std::ifstream victim(Sandbox() / "outside" / "victim.txt");
    std::string text((std::istreambuf_iterator<char>(victim)), std::istreambuf_iterator<char>());
    if (entries != 2 || outside != 1 || text != kVictim || !fs::is_symlink(prog / "out")) {
        std::abort();
    }
    return 0;
}
