#include "platform/confinedfs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <system_error>

namespace pk {
namespace fs = std::filesystem;

namespace {

// Resolves the existing part of a path through its links and keeps the rest
// as written; the caller has refused "." and ".." components already, and a
// relative path is taken from the working folder.
std::optional<fs::path> Resolved(const fs::path& path) {
    std::error_code ec;
    fs::path resolved = fs::weakly_canonical(fs::absolute(path, ec), ec);
    if (ec) {
        return std::nullopt;
    }
    return resolved;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

bool PathInside(const fs::path& root, const fs::path& path) {
    std::error_code ec;
    const fs::path base = fs::canonical(root, ec);
    if (ec) {
        return false;
    }
    const auto target = Resolved(path);
    if (!target) {
        return false;
    }
    // Component-wise prefix, so "/a/bc" is not inside "/a/b".
    auto b = base.begin();
    auto t = target->begin();
    for (; b != base.end(); ++b, ++t) {
        if (t == target->end() || *b != *t) {
            return false;
        }
    }
    return true;
}

PathKind KindOf(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return PathKind::Missing;
    }
    if (S_ISLNK(st.st_mode)) {
        return PathKind::Link;
    }
    if (S_ISREG(st.st_mode)) {
        return PathKind::Regular;
    }
    if (S_ISDIR(st.st_mode)) {
        return PathKind::Folder;
    }
    return PathKind::Other;
}

bool MakeFoldersInside(const fs::path& root, const fs::path& folder) {
    if (!PathInside(root, folder)) {
        return false;
    }
    fs::path level;
    for (const auto& part : folder) {
        level /= part;
        struct stat st {};
        if (::stat(level.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) {
                return false;
            }
            continue;
        }
        if (::mkdir(level.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
    }
    // A level that was a link (or became one meanwhile) must still lead inside.
    return PathInside(root, folder) && KindOf(folder) != PathKind::Missing;
}

NewFile::~NewFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool NewFile::Create(const fs::path& path) {
    if (fd_ >= 0) {
        return false;
    }
    path_ = path;
    failed_ = false;
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    return fd_ >= 0;
}

bool NewFile::Recreate(const fs::path& path) {
    return RemoveFileOnly(path) && Create(path);
}

bool NewFile::Write(std::string_view bytes) {
    if (fd_ < 0 || failed_) {
        return false;
    }
    failed_ = !WriteAll(fd_, bytes);
    return !failed_;
}

bool NewFile::Close() {
    if (fd_ < 0) {
        return false;
    }
    const bool synced = ::fsync(fd_) == 0;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return synced && closed && !failed_;
}

PlainFileReader::~PlainFileReader() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool PlainFileReader::Open(const fs::path& path) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    failed_ = false;
    fd_ = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        failed_ = true;
        return false;
    }
    return true;
}

std::size_t PlainFileReader::Read(char* buffer, std::size_t size) {
    if (fd_ < 0 || failed_) {
        return 0;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd_, buffer + done, size - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            failed_ = true;
            return 0;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool ReplaceByRename(const fs::path& source, const fs::path& target) {
    mode_t mode = 0644;
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            return false;
        }
        if (S_ISREG(st.st_mode)) {
            mode = st.st_mode & 07777;
        }
    } else if (errno != ENOENT) {
        return false;
    }
    struct stat src {};
    if (::lstat(source.c_str(), &src) != 0 || !S_ISREG(src.st_mode)) {
        return false;
    }
    if (::chmod(source.c_str(), mode) != 0) {
        return false;
    }
    return ::rename(source.c_str(), target.c_str()) == 0;
}

bool RemoveFileOnly(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return errno == ENOENT;
    }
    if (S_ISDIR(st.st_mode)) {
        return false;
    }
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace pk
