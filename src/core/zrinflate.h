#pragma once
// Pull-style byte sources: a reader asks for the next bytes when it needs them,
// so a large inflated payload (a file carried by an update patch) never has to
// sit in memory whole.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace pk {

// A forward-only stream of bytes.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes into `buffer`; fewer only at the end of the stream or
    // after a failure. 0 means nothing more.
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;
    // True when the stream broke (damaged data, a read error, a size cap hit)
    // rather than ended.
    virtual bool Failed() const { return false; }
};

// Where bytes go; false when they could not all be taken.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool Write(std::string_view bytes) = 0;
};

// Bytes already in memory. The bytes must outlive the source.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Read(char* buffer, std::size_t size) override;

private:
    std::string_view bytes_;
};

class StringSink final : public ByteSink {
public:
    bool Write(std::string_view bytes) override {
        out.append(bytes);
        return true;
    }
    std::string out;
};

// Inflates one zlib-format (RFC 1950) stream held in memory, on demand.
// The stream fails when the data is damaged, when it ends before the zlib
// stream does, or when it would produce more than `maxSize` bytes. Bytes
// after the end of the zlib stream are ignored.
class InflateReader final : public ByteSource {
public:
    InflateReader(std::string_view compressed, std::size_t maxSize);
    ~InflateReader() override;
    InflateReader(const InflateReader&) = delete;
    InflateReader& operator=(const InflateReader&) = delete;

    std::size_t Read(char* buffer, std::size_t size) override;
    bool Failed() const override { return failed_; }
    // True once the whole zlib stream has been inflated and checked.
    bool Finished() const { return finished_; }
    std::size_t Produced() const { return produced_; }

private:
    struct State;
    std::unique_ptr<State> state_;
    std::string_view in_;
    std::size_t fed_ = 0;
    std::size_t maxSize_;
    std::size_t produced_ = 0;
    bool failed_ = false;
    bool finished_ = false;
};

// Reads exactly `size` bytes unless the source ends or fails first; returns
// how many were read.
std::size_t ReadFull(ByteSource& source, char* buffer, std::size_t size);

}  // namespace pk
