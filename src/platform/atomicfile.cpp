#include "platform/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>
#include <string>

#include "platform/process.h"

namespace pk {

namespace {

namespace fs = std::filesystem;

// Links followed before a chain counts as a loop (the system's own bound).
constexpr int kMaxLinkHops = 40;

constexpr std::string_view kTempMark = ".tmp";

fs::path TemporaryBeside(const fs::path& target) {
    static std::atomic<unsigned> serial{0};
    fs::path temp = target;
    temp += std::string(kTempMark) + std::to_string(::getpid()) + "." + std::to_string(serial++);
    return temp;
}

// The file a save of `target` replaces: `target` itself, or for a user's file
// the end of its chain of links. Nothing for a chain that loops.
std::optional<fs::path> SavedFile(const fs::path& target, SaveTarget how) {
    if (how == SaveTarget::ReplaceName)
        return target;
    fs::path file = target;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(file.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return file;
        std::error_code ec;
        const fs::path to = fs::read_symlink(file, ec);
        if (ec)
            return std::nullopt;
        file = to.is_absolute() ? to : file.parent_path() / to;
    }
    return std::nullopt;
}

// The permission bits a user's file has now, to give its new version.
std::optional<mode_t> ModeOf(const fs::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return st.st_mode & 07777;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(fs::path target, SaveTarget how) {
    const std::optional<fs::path> file = SavedFile(target, how);
    if (!file)
        return;
    target_ = *file;
    temp_ = TemporaryBeside(target_);
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ < 0 || how != SaveTarget::UserFile)
        return;
    if (const std::optional<mode_t> mode = ModeOf(target_); mode && ::fchmod(fd_, *mode) != 0)
        failed_ = true;
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(temp_.c_str());
    }
}

bool AtomicFileWriter::Write(std::string_view bytes) {
    if (fd_ < 0 || failed_)
        return false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failed_ = true;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool AtomicFileWriter::Commit() {
    if (fd_ < 0 || failed_) {
        Discard();
        return false;
    }
    const bool synced = ::fsync(fd_) == 0;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!synced || !closed || ::rename(temp_.c_str(), target_.c_str()) != 0) {
        ::unlink(temp_.c_str());
        return false;
    }
    return true;
}

bool WriteFileAtomic(const fs::path& file, std::string_view bytes, SaveTarget how) {
    AtomicFileWriter writer(file, how);
    return writer.Write(bytes) && writer.Commit();
}

namespace {

// The process id of a temporary of `name` ("NAME.tmpPID.N"), or nothing for
// any other name.
std::optional<std::int64_t> TemporaryOwner(std::string_view entry, std::string_view name) {
    if (entry.size() <= name.size() + kTempMark.size() || entry.substr(0, name.size()) != name)
        return std::nullopt;
    entry.remove_prefix(name.size());
    if (entry.substr(0, kTempMark.size()) != kTempMark)
        return std::nullopt;
    entry.remove_prefix(kTempMark.size());
    const std::size_t dot = entry.find('.');
    if (dot == 0 || dot == std::string_view::npos || dot + 1 == entry.size() || dot > 18)
        return std::nullopt;
    const auto digits = [](std::string_view text) {
        return text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (!digits(entry.substr(0, dot)) || !digits(entry.substr(dot + 1)))
        return std::nullopt;
    return std::stoll(std::string(entry.substr(0, dot)));
}

}  // namespace

int RemoveStaleTemporaries(const fs::path& target, SaveTarget how) {
    const std::optional<fs::path> file = SavedFile(target, how);
    if (!file || file->filename().empty())
        return 0;
    const std::string name = file->filename().string();
    fs::path folder = file->parent_path();
    if (folder.empty())
        folder = ".";
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::optional<std::int64_t> owner =
            TemporaryOwner(it->path().filename().string(), name);
        if (!owner || ProcessAlive(*owner))
            continue;
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::unlink(it->path().c_str()) == 0)
            ++removed;
    }
    return removed;
}

namespace {

constexpr std::size_t kReadBlock = 65536;

bool Fail(FileReadError* error, FileReadError why) {
    if (error)
        *error = why;
    return false;
}

// A regular file open for reading, closed on every way out. Opening does not
// wait: a pipe with no writer would otherwise block the caller.
class ReadableFile {
public:
    explicit ReadableFile(const std::filesystem::path& file)
        : fd_(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)) {
        struct stat st {};
        if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
            ::close(fd_);
            fd_ = -1;
        }
        size_ = fd_ >= 0 ? static_cast<std::int64_t>(st.st_size) : 0;
    }
    ~ReadableFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    std::int64_t Size() const { return size_; }

    // Up to `size` bytes at `offset` (-1: at the current position); fewer only
    // at the end of the file, a negative count on failure.
    ssize_t Read(char* buffer, std::size_t size, std::int64_t offset) {
        for (;;) {
            const ssize_t n = offset < 0 ? ::read(fd_, buffer, size)
                                         : ::pread(fd_, buffer, size, static_cast<off_t>(offset));
            if (n >= 0 || errno != EINTR)
                return n;
        }
    }

private:
    int fd_ = -1;
    std::int64_t size_ = 0;
};

}  // namespace

bool ReadFileBlocks(const fs::path& file, const std::function<bool(std::string_view block)>& sink,
                    FileReadError* error) {
    if (error)
        *error = FileReadError::None;
    ReadableFile in(file);
    if (!in.IsOpen())
        return Fail(error, FileReadError::CannotOpen);
    std::string block(kReadBlock, '\0');
    for (;;) {
        const ssize_t n = in.Read(block.data(), block.size(), -1);
        if (n < 0)
            return Fail(error, FileReadError::ReadFailed);
        if (n == 0)
            return true;
        if (!sink(std::string_view(block.data(), static_cast<std::size_t>(n))))
            return false;
    }
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& file, std::size_t maxSize,
                                         FileReadError* error) {
    std::string bytes;
    bool tooLarge = false;
    // The cap is checked on what is really read, not on the size the file
    // had when opened: it may grow while we read.
    const bool read = ReadFileBlocks(
        file,
        [&](std::string_view block) {
            if (block.size() > maxSize - bytes.size()) {
                tooLarge = true;
                return false;
            }
            bytes.append(block);
            return true;
        },
        error);
    if (tooLarge) {
        Fail(error, FileReadError::TooLarge);
        return std::nullopt;
    }
    if (!read)
        return std::nullopt;
    return bytes;
}

namespace {

// `size` bytes at `offset` of an open file of `fileSize` bytes.
std::optional<std::string> ReadRange(int fd, std::int64_t fileSize, std::int64_t offset,
                                     std::int64_t size, FileReadError* error) {
    if (offset < 0 || size < 0 || offset > fileSize || size > fileSize - offset) {
        Fail(error, FileReadError::OutOfRange);
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + done, bytes.size() - done,
                                  static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            Fail(error, FileReadError::ReadFailed);
            return std::nullopt;
        }
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}

// Opens a regular file for reading without waiting (a pipe with no writer would otherwise
// block the caller); -1 for anything else.
int OpenRegular(const std::filesystem::path& file, std::int64_t& size) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        fd = -1;
    }
    size = fd >= 0 ? static_cast<std::int64_t>(st.st_size) : 0;
    return fd;
}

}  // namespace

std::optional<std::string> ReadFileRange(const std::filesystem::path& file, std::int64_t offset,
                                         std::int64_t size, FileReadError* error) {
    OpenFileReader in;
    if (!in.Open(file, error))
        return std::nullopt;
    return in.ReadAt(offset, size, error);
}

OpenFileReader::~OpenFileReader() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool OpenFileReader::Open(const std::filesystem::path& file, FileReadError* error) {
    if (error)
        *error = FileReadError::None;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = OpenRegular(file, size_);
    return fd_ >= 0 || Fail(error, FileReadError::CannotOpen);
}

std::optional<std::string> OpenFileReader::ReadAt(std::int64_t offset, std::int64_t size,
                                                  FileReadError* error) const {
    if (error)
        *error = FileReadError::None;
    if (fd_ < 0) {
        Fail(error, FileReadError::CannotOpen);
        return std::nullopt;
    }
    return ReadRange(fd_, size_, offset, size, error);
}

}  // namespace pk
