#include "core/bytestream.h"

#include <algorithm>

namespace pk {

uint8_t ByteReader::u8() {
    if (!ok_ || pos_ >= data_.size()) {
        ok_ = false;
        return 0;
    }
    return static_cast<uint8_t>(data_[pos_++]);
}

uint16_t ByteReader::u16() {
    std::string_view b = bytes(2);
    if (b.size() != 2)
        return 0;
    return static_cast<uint16_t>(static_cast<uint8_t>(b[0]) | (static_cast<uint8_t>(b[1]) << 8));
}

uint32_t ByteReader::u32() {
    std::string_view b = bytes(4);
    if (b.size() != 4)
        return 0;
    return static_cast<uint32_t>(GetI32(b, 0));
}

int32_t ByteReader::i32() {
    return static_cast<int32_t>(u32());
}

std::string_view ByteReader::bytes(size_t n) {
    if (!ok_ || n > data_.size() - pos_) {
        ok_ = false;
        return {};
    }
    std::string_view v = data_.substr(pos_, n);
    pos_ += n;
    return v;
}

void ByteReader::skip(size_t n) {
    bytes(n);
}

void ByteReader::seek(size_t pos) {
    if (!ok_ || pos > data_.size()) {
        ok_ = false;
        return;
    }
    pos_ = pos;
}

std::string ByteReader::lenString() {
    int32_t n = i32();
    if (!ok_ || n <= 0)
        return {};
    return std::string(bytes(static_cast<size_t>(n)));
}

std::string ByteReader::fixedText(size_t n) {
    return FixedFieldText(bytes(n));
}

void ByteWriter::u16(uint16_t v) {
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::i32(int32_t v) {
    size_t at = out_.size();
    out_.resize(at + 4);
    PutI32(out_, at, v);
}

void ByteWriter::lenString(std::string_view s) {
    i32(static_cast<int32_t>(s.size()));
    out_.append(s);
}

void ByteWriter::fixedText(std::string_view s, size_t n) {
    std::string_view cut = s.substr(0, std::min(s.size(), n));
    out_.append(cut);
    out_.append(n - cut.size(), '\0');
}

void ByteWriter::patchI32(size_t at, int32_t v) {
    PutI32(out_, at, v);
}

std::string FixedFieldText(std::string_view field) {
    size_t zero = field.find('\0');
    return std::string(field.substr(0, zero));
}

int32_t GetI32(std::string_view b, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return static_cast<int32_t>(v);
}

void PutI32(std::string& b, size_t at, int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

}  // namespace pk
