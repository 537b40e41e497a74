#pragma once
// A file of the user's kept behind a link and with its own permission bits, as a player may
// keep a settings or text file: a save must write the file the link points to, keep its bits
// and leave no temporary in either folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/atomicfile.h"

namespace pk::test {

class LinkedUserFile {
public:
    // `folder`/`name` becomes a relative link to `folder`/real/`name`, which holds `bytes`
    // with the bits `mode`.
    LinkedUserFile(const std::filesystem::path& folder, const std::string& name,
                   const std::string& bytes, mode_t mode = 0600)
        : link(folder / name), file(folder / "real" / name), mode_(mode) {
        std::filesystem::create_directories(file.parent_path());
        EXPECT_TRUE(WriteFileAtomic(file, bytes));
        EXPECT_EQ(::chmod(file.c_str(), mode), 0);
        std::filesystem::create_symlink(std::filesystem::path("real") / name, link);
    }

    // The file's bytes now.
    std::string Bytes() const { return ReadFileBytes(file, 64u << 20).value_or("<unreadable>"); }

    // The link still points to the file, the file has its bits, and no temporary is left.
    ::testing::AssertionResult Kept() const {
        if (!std::filesystem::is_symlink(link))
            return ::testing::AssertionFailure() << link << " is no longer a link";
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0)
            return ::testing::AssertionFailure() << file << " is gone";
        if ((st.st_mode & 07777) != mode_)
            return ::testing::AssertionFailure()
                   << file << " has mode " << std::oct << (st.st_mode & 07777);
        for (const auto& folder : {file.parent_path(), link.parent_path()}) {
            for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                const std::string left = entry.path().filename().string();
                if (left.rfind(file.filename().string() + ".tmp", 0) == 0)
                    return ::testing::AssertionFailure() << left << " was left behind";
            }
        }
        return ::testing::AssertionSuccess();
    }

    const std::filesystem::path link;
    const std::filesystem::path file;

private:
    mode_t mode_;
};

}  // namespace pk::test
