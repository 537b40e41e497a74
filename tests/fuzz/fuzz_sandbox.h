#pragma once
// A sandbox folder per fuzz run for the targets that write files: a program folder laid afresh
// for every input beside an "outside" folder that nothing may touch, reached from inside by a
// folder link and a file link. The fuzzer ends without running exit handlers, so sandboxes of
// runs that have ended are removed by the next one.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace pk::fuzz {

inline const std::string kOutsideText = "outside the program folder";

inline void Put(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The sandbox of this run: "<prefix><pid>" in memory where there is such a folder.
inline const std::filesystem::path& Sandbox(const std::string& prefix) {
    namespace fs = std::filesystem;
    static const fs::path path = [&] {
        const fs::path base =
            fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path p = base / (prefix + std::to_string(::getpid()));
        fs::remove_all(p);
        Put(p / "outside" / "victim.txt", kOutsideText);
        for (const auto& entry : fs::directory_iterator(base)) {
            const std::string name = entry.path().filename().string();
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

// The program folder, laid afresh: a file, a file in a folder, and links that lead out.
inline std::filesystem::path FreshProgram(const std::string& prefix) {
    namespace fs = std::filesystem;
    const fs::path& sandbox = Sandbox(prefix);
    const fs::path prog = sandbox / "prog";
    fs::remove_all(prog);
    fs::create_directories(prog);
    Put(prog / "a", "a file of the program");
    Put(prog / "b" / "c", "a file in a folder of the program");
    fs::create_directory_symlink(sandbox / "outside", prog / "out");
    fs::create_symlink(sandbox / "outside" / "victim.txt", prog / "v");
    return prog;
}

// Aborts unless the sandbox holds only the program folder and the outside folder as it was.
inline void CheckOutsideUntouched(const std::string& prefix) {
    namespace fs = std::filesystem;
    const fs::path& sandbox = Sandbox(prefix);
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(sandbox)) {
        const auto name = entry.path().filename();
        if (name != "prog" && name != "outside") {
            std::abort();
        }
        ++entries;
    }
    int outside = 0;
    for (const auto& entry : fs::recursive_directory_iterator(sandbox / "outside")) {
        (void)entry;
        ++outside;
    }
    if (entries != 2 || outside != 1 || Slurp(sandbox / "outside" / "victim.txt") != kOutsideText) {
        std::abort();
    }
}

}  // namespace pk::fuzz
