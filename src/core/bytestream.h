// Reading and writing little-endian binary data held in memory: key/value
// records, theme libraries and the images and sounds they carry, server
// messages. Everything here works on bytes already in memory, so a length or
// offset from outside can always be checked against the real size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pk {

// Reader over untrusted bytes. A read past the end sets a sticky error flag
// and yields zeros or empty text, and every later read fails too; callers
// check ok() once after a group of reads instead of after every field.
// The reader views the bytes: they must outlive it.
class ByteReader {
public:
    explicit ByteReader(std::string_view data) : data_(data) {}

    bool ok() const { return ok_; }
    void fail() { ok_ = false; }
    size_t pos() const { return pos_; }
    size_t size() const { return data_.size(); }
    size_t remaining() const { return ok_ ? data_.size() - pos_ : 0; }
    // True once everything is read, and after a failed read.
    bool atEnd() const { return !ok_ || pos_ >= data_.size(); }
    std::string_view data() const { return data_; }

    uint8_t u8();
    int32_t i32();  // little-endian, signed as the files store it
    uint16_t u16();
    uint32_t u32();
    // n bytes as a view into the data; empty (and the flag set) when short.
    std::string_view bytes(size_t n);
    void skip(size_t n);
    // Absolute move; a target past the end sets the flag.
    void seek(size_t pos);
    // A 32-bit length then that many bytes. A length of 0 or less is the
    // empty text; a length beyond the remaining bytes fails instead of
    // allocating what the file claims.
    std::string lenString();
    // A zero-padded text field of n bytes: the text up to the first zero.
    std::string fixedText(size_t n);

private:
    std::string_view data_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Little-endian writer appending to a byte string.
class ByteWriter {
public:
    std::string& out() { return out_; }
    const std::string& out() const { return out_; }
    size_t pos() const { return out_.size(); }

    void u8(uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void u16(uint16_t v);
    void i32(int32_t v);
    void u32(uint32_t v) { i32(static_cast<int32_t>(v)); }
    void bytes(std::string_view b) { out_.append(b); }
    void lenString(std::string_view s);
    // Writes s cut or zero-padded to exactly n bytes.
    void fixedText(std::string_view s, size_t n);
    // Overwrites 4 bytes at an earlier position.
    void patchI32(size_t at, int32_t v);

private:
    std::string out_;
};

// The text of a zero-padded field: the bytes up to the first zero, or all.
std::string FixedFieldText(std::string_view field);
int32_t GetI32(std::string_view b, size_t at);  // at + 4 <= b.size() required
void PutI32(std::string& b, size_t at, int32_t v);

}  // namespace pk
