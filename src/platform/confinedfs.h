#pragma once
// File operations for code that writes where names from outside tell it to
// (an update patch, the updater's queue): everything stays below one folder,
// links are never followed into somewhere else, new files are created
// exclusively, and replacements are renames that keep the old file's
// permission bits.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace pk {

// True when `path` (which need not exist) lies at or below `root` once both
// are resolved: links in the existing part of either are followed, the rest
// is taken as written. `root` must exist.
bool PathInside(const std::filesystem::path& root, const std::filesystem::path& path);

// What a path names, without following a link at its end.
enum class PathKind { Missing, Regular, Folder, Link, Other };
PathKind KindOf(const std::filesystem::path& path);

// Creates `folder` and its missing parents below `root`, one level at a time;
// fails when any level that exists or is made lies outside `root` (a link out)
// or is not a folder.
bool MakeFoldersInside(const std::filesystem::path& root, const std::filesystem::path& folder);

// A file this process has just created: never an existing file, never through
// a link. Mode 0600 until it replaces its target.
class NewFile {
public:
    NewFile() = default;
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Fails when anything exists at `path` already.
    bool Create(const std::filesystem::path& path);
    // Removes whatever file (not folder) is at `path`, then creates it.
    bool Recreate(const std::filesystem::path& path);
    bool IsOpen() const { return fd_ >= 0; }
    // False once any write failed; later writes fail too.
    bool Write(std::string_view bytes);
    // Flushes and closes; true when every byte reached the file.
    bool Close();
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
    int fd_ = -1;
    bool failed_ = false;
};

// A regular file opened for reading; a link at the end of the path, a folder
// or a device is refused.
class PlainFileReader {
public:
    PlainFileReader() = default;
    ~PlainFileReader();
    PlainFileReader(const PlainFileReader&) = delete;
    PlainFileReader& operator=(const PlainFileReader&) = delete;

    bool Open(const std::filesystem::path& path);
    // Up to `size` bytes; 0 at the end or after a failure.
    std::size_t Read(char* buffer, std::size_t size);
    bool Failed() const { return failed_; }

private:
    int fd_ = -1;
    bool failed_ = false;
};

// Moves `source` over `target` by rename (both on one file system). The file
// takes the permission bits of the regular file it replaces, or 0644 when
// there was none; a link at `target` is replaced, never followed. Fails when
// `target` is a folder.
bool ReplaceByRename(const std::filesystem::path& source, const std::filesystem::path& target);

// Removes the file or link at `path`; a folder is refused. A path that does
// not exist counts as removed.
bool RemoveFileOnly(const std::filesystem::path& path);

}  // namespace pk
