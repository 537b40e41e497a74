#pragma once
// Files we write replace their old version only once the new one is complete:
// the bytes go to a temporary file in the same folder, which is flushed to disk
// and then renamed over the target. A failure at any point leaves the old file
// as it was and no temporary file behind.
#include <filesystem>
#include <string_view>

namespace pk {

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::filesystem::path target);
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

bool WriteFileAtomic(const std::filesystem::path& file, std::string_view bytes);

}  // namespace pk
