#pragma once
// Byte literals for golden tests: numbers as they stand in a file or on the wire, and lists of
// byte values, so that a test spells out each field.
#include <cstdint>
#include <initializer_list>
#include <string>

namespace pk::test {

// The low `n` bytes of `v`, least significant first.
inline std::string LE(std::uint32_t v, int n = 4) {
    std::string b;
    for (int i = 0; i < n; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return b;
}

// The low `n` bytes of `v`, most significant first.
inline std::string BE(std::uint32_t v, int n = 4) {
    std::string b;
    for (int i = n - 1; i >= 0; --i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return b;
}

// One byte per value, e.g. Bytes({0x78, 0xDA, 'a'}).
inline std::string Bytes(std::initializer_list<unsigned char> values) {
    return std::string(values.begin(), values.end());
}

}  // namespace pk::test
