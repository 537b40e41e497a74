#include "core/zrstream.h"

namespace pk {

std::string ByteStream::ReadBytes(std::size_t count) {
    if (count > Remaining()) {
        Fail();
        return {};
    }
    std::string out = data_.substr(pos_, count);
    pos_ += count;
    return out;
}

std::uint32_t ByteStream::ReadU32LE() {
    if (Remaining() < 4) {
        Fail();
        return 0;
    }
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(data_[pos_ + i])) << (8 * i);
    }
    pos_ += 4;
    return value;
}

void ByteStream::WriteBytes(std::string_view bytes) {
    if (pos_ + bytes.size() > data_.size()) {
        data_.resize(pos_ + bytes.size());
    }
    data_.replace(pos_, bytes.size(), bytes);
    pos_ += bytes.size();
}

void ByteStream::WriteU32LE(std::uint32_t value) {
    char bytes[4];
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    WriteBytes(std::string_view(bytes, 4));
}

}  // namespace pk
