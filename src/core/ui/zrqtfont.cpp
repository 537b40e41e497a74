#include "core/ui/zrqtfont.h"

#include <algorithm>

#include "platform/cp1252.h"

namespace pk {

QFont FontFromSpec(const FontSpec& spec) {
    // The size comes from the configuration file: bounded, so a damaged one asks for no
    // giant font.
    QFont font(Cp1252ToQString(spec.name), std::clamp(spec.size, 1, kMaxFontSize));
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    font.setUnderline(spec.underline);
    font.setStrikeOut(spec.strikeOut);
    return font;
}

FontSpec SpecFromFont(const QFont& font, int colour) {
    FontSpec spec;
    spec.name = QStringToCp1252(font.family());
    spec.size = std::max(font.pointSize(), 1);
    spec.color = colour;
    spec.bold = font.bold();
    spec.italic = font.italic();
    spec.underline = font.underline();
    spec.strikeOut = font.strikeOut();
    return spec;
}

}  // namespace pk
