#pragma once
// An in-memory byte stream with a read/write position, the stand-in for the
// memory streams that length-prefixed strings and CRC ranges work on.
// Reading never goes past the end: a read that wants more than remains sets a
// sticky error flag, yields zeros (or nothing) and leaves the position at the
// end, so a parser checks `Failed()` once when it is done.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pk {

class ByteStream {
public:
    ByteStream() = default;
    explicit ByteStream(std::string data) : data_(std::move(data)) {}

    const std::string& Data() const { return data_; }
    std::size_t Size() const { return data_.size(); }
    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return data_.size() - pos_; }
    bool AtEnd() const { return pos_ >= data_.size(); }
    bool Failed() const { return failed_; }

    // Reads exactly `count` bytes, or sets the error flag and returns nothing.
    std::string ReadBytes(std::size_t count);
    std::uint32_t ReadU32LE();

    // Writes at the position, overwriting or extending, and advances.
    void WriteBytes(std::string_view bytes);
    void WriteU32LE(std::uint32_t value);

private:
    void Fail() {
        failed_ = true;
        pos_ = data_.size();
    }

    std::string data_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};

}  // namespace pk
