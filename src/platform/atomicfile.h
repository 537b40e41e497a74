#pragma once
// The one way files are written and the one way they are read.
//
// Files we write replace their old version only once the new one is complete:
// the bytes go to a temporary file in the same folder, which is flushed to disk
// and then renamed over the target. A failure at any point leaves the old file
// as it was and no temporary file behind. The temporary is named after the
// target: NAME.tmpPID.N, PID our process id.
//
// By default a save replaces the name it is given: a link there is replaced by
// the new file, never followed, and the new file has mode 0644. That is what
// everything the program writes on its own or on a server's behalf needs. The
// user's own files are saved in the other way (SaveTarget::UserFile).
//
// Files we read may come from anywhere, so every read is bounded: a whole
// file only up to the size its caller can use, a range only when it lies
// wholly inside the file. Only regular files are read; a folder, a pipe or a
// device fails at once instead of blocking or never ending.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pk {

enum class SaveTarget {
    // The name is replaced: a link there gives way to the new file.
    ReplaceName,
    // A file the user owns and may have linked or locked down: a link is
    // followed (up to a bound; a loop fails) and the file it points to is
    // replaced, the temporary beside that file, so the save is still atomic;
    // the new file keeps the old one's permission bits.
    UserFile,
};

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::filesystem::path target,
                              SaveTarget how = SaveTarget::ReplaceName);
    ~AtomicFileWriter();  // removes the temporary file unless committed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    bool Write(std::string_view bytes);
    // Flushes, closes and renames over the target. True when the target now
    // holds exactly what was written.
    bool Commit();

private:
    void Discard();

    std::filesystem::path target_;
    std::filesystem::path temp_;
    int fd_ = -1;
    bool failed_ = false;
};

bool WriteFileAtomic(const std::filesystem::path& file, std::string_view bytes,
                     SaveTarget how = SaveTarget::ReplaceName);

// A save killed midway leaves its temporary behind. Removes the temporaries
// of `target` (NAME.tmpPID.N beside the file a save of it writes) whose
// process no longer runs; returns how many went. Only regular files are
// removed.
int RemoveStaleTemporaries(const std::filesystem::path& target,
                           SaveTarget how = SaveTarget::ReplaceName);

// Why a read gave nothing.
enum class FileReadError {
    None,
    CannotOpen,  // missing, not permitted, or not a regular file
    TooLarge,    // more bytes than the caller's cap
    OutOfRange,  // a range not wholly inside the file
    ReadFailed,  // the system failed or the file shrank while being read
};

// Hands the file's bytes to `sink` block by block, from start to end. False
// when the file cannot be read to its end or `sink` returns false.
bool ReadFileBlocks(const std::filesystem::path& file,
                    const std::function<bool(std::string_view block)>& sink,
                    FileReadError* error = nullptr);

// The whole file, when it holds at most `maxSize` bytes.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& file, std::size_t maxSize,
                                         FileReadError* error = nullptr);

// `size` bytes at `offset`, only when they lie wholly inside the file.
std::optional<std::string> ReadFileRange(const std::filesystem::path& file, std::int64_t offset,
                                         std::int64_t size, FileReadError* error = nullptr);

// A regular file held open for reads of ranges, for a file too large to read whole that is
// read a part at a time. Every read of one object sees the same file: one replaced by a rename
// meanwhile is still read as it was when opened.
class OpenFileReader {
public:
    OpenFileReader() = default;
    ~OpenFileReader();
    OpenFileReader(const OpenFileReader&) = delete;
    OpenFileReader& operator=(const OpenFileReader&) = delete;

    // False (with the reason) for a file that is missing, not permitted or not regular.
    bool Open(const std::filesystem::path& file, FileReadError* error = nullptr);
    bool IsOpen() const { return fd_ >= 0; }
    // The size when opened.
    std::int64_t Size() const { return size_; }
    // As ReadFileRange, against the size when opened.
    std::optional<std::string> ReadAt(std::int64_t offset, std::int64_t size,
                                      FileReadError* error = nullptr) const;

private:
    int fd_ = -1;
    std::int64_t size_ = 0;
};

}  // namespace pk
