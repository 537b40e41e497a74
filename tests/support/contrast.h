#pragma once
// How well text reads on its ground, by the WCAG 2 contrast ratio: the relative luminance of
// each colour (sRGB channels made linear, weighted 0.2126 red, 0.7152 green, 0.0722 blue), and
// (lighter + 0.05) / (darker + 0.05), from 1 (no contrast) to 21 (black on white). 3 is the
// least for large or bold text, 4.5 for body text. Kept apart from the program's own rule, so
// that a test measures what was drawn without trusting the code that drew it.
#include <QColor>
#include <QImage>
#include <QRect>

namespace pk::test {

double RelativeLuminance(const QColor& colour);
double ContrastRatio(const QColor& a, const QColor& b);

// The text drawn in `area` of `image`, as colours: the ground is the area's most frequent
// colour, the ink the one that stands out most from it. With aliased text the ink is the pen's
// own colour; with antialiased text a blend can only stand out less, so the ratio is a lower
// bound. An area of one colour gives ink == ground (ratio 1).
struct InkOnGround {
    QColor ink;
    QColor ground;
    double Ratio() const { return ContrastRatio(ink, ground); }
};
InkOnGround TextColours(const QImage& image, const QRect& area);

}  // namespace pk::test
