#pragma once
// A temporary program folder with a neighbour folder that no patch may touch,
// and a snapshot of both to tell what changed.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "support/temp_dir.h"

namespace pk::test {

struct FileState {
    char kind = '?';    // 'f' file, 'd' folder, 'l' link
    std::string bytes;  // contents, or the link's target
    unsigned mode = 0;
    bool operator==(const FileState&) const = default;
};
using TreeSnapshot = std::map<std::string, FileState>;

inline std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void Put(const std::filesystem::path& path, const std::string& bytes, unsigned mode = 0644) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    ::chmod(path.c_str(), mode);
}

inline unsigned ModeOf(const std::filesystem::path& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class ProgramFolder {
public:
    ProgramFolder() {
        std::filesystem::create_directory(Root());
        std::filesystem::create_directory(Outside());
        Put(Outside() / "victim.txt", "outside, never touched");
    }
    std::filesystem::path Root() const { return sandbox_.Path() / "prog"; }
    std::filesystem::path Outside() const { return sandbox_.Path() / "outside"; }
    std::filesystem::path Sandbox() const { return sandbox_.Path(); }
    std::string RootText() const { return Root().string() + "/"; }

    // Every file, folder and link under the sandbox, except the update's own
    // files in the program folder when `ownToo` is false.
    TreeSnapshot Snapshot(bool ownToo = false) const {
        namespace fs = std::filesystem;
        TreeSnapshot snap;
        for (auto it = fs::recursive_directory_iterator(sandbox_.Path());
             it != fs::recursive_directory_iterator(); ++it) {
            const fs::path rel = fs::relative(it->path(), sandbox_.Path());
            const std::string name = rel.generic_string();
            if (!ownToo && (name == "prog/$$tmp$$" || name.rfind("prog/$$tmp$$/", 0) == 0 ||
                            name == "prog/patch.tmp" || name == "prog/upgrade.tmp")) {
                if (it->is_directory() && !it->is_symlink()) {
                    it.disable_recursion_pending();
                }
                continue;
            }
            FileState state;
            state.mode = ModeOf(it->path());
            if (it->is_symlink()) {
                state.kind = 'l';
                state.bytes = fs::read_symlink(it->path()).string();
            } else if (it->is_directory()) {
                state.kind = 'd';
            } else {
                state.kind = 'f';
                state.bytes = Slurp(it->path());
            }
            snap[name] = state;
        }
        return snap;
    }

private:
    TempDir sandbox_;
};

}  // namespace pk::test
