#include "platform/atomicfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

namespace pk {

namespace {

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    static std::atomic<unsigned> serial{0};
    std::filesystem::path temp = target;
    temp += ".tmp" + std::to_string(::getpid()) + "." + std::to_string(serial++);
    return temp;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::filesystem::path target)
    : target_(std::move(target)), temp_(TemporaryBeside(target_)) {
    fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

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

bool WriteFileAtomic(const std::filesystem::path& file, std::string_view bytes) {
    AtomicFileWriter writer(file);
    return writer.Write(bytes) && writer.Commit();
}

}  // namespace pk
