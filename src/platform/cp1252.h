#pragma once
// Windows-1252 <-> Unicode. Every protocol, configuration and chat text in the
// program is a byte string in this code page; widgets convert at their edge
// through this one table. Qt 6 has no codec for it that we can rely on.
#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace pk {

// The code point a byte stands for. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same
// value, so that every byte survives a trip through Unicode.
char32_t Cp1252ToUnicode(unsigned char byte);

// The byte for a code point, or nothing when the code page has none.
std::optional<unsigned char> UnicodeToCp1252(char32_t codePoint);

QString Cp1252ToQString(std::string_view bytes);

// Characters without a byte in the code page become `replacement`.
std::string QStringToCp1252(const QString& text, char replacement = '?');

}  // namespace pk
