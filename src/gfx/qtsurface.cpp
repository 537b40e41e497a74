#include "gfx/qtsurface.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "platform/cp1252.h"

namespace pk {

namespace {

constexpr int kMaxTextLength = 4096;

// Points at 96 dots per inch, rounded as MulDiv rounds.
int PointsToPixels(int points) {
    const int p = std::clamp(points, 1, 1000);
    return (p * 96 + 36) / 72;
}

std::string_view Bounded(std::string_view text) {
    return text.substr(0, kMaxTextLength);
}

}  // namespace

QImage ToQImage(const Surface16& surface) {
    QImage image(surface.width(), surface.height(), QImage::Format_RGB555);
    const size_t rowBytes = static_cast<size_t>(surface.width()) * sizeof(Pixel16);
    for (int y = 0; y < surface.height(); ++y)
        std::memcpy(image.scanLine(y), surface.row(y), rowBytes);
    return image;
}

Surface16 SurfaceFromQImage(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Surface16 s(rgb.width(), rgb.height());
    for (int y = 0; y < s.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        Pixel16* d = s.row(y);
        for (int x = 0; x < s.width(); ++x) d[x] = ArgbTo555(line[x]);
    }
    return s;
}

QtTextPainter::QtTextPainter() {
    font_.setStyleStrategy(QFont::NoAntialias);
    SetFont("Arial", 8);
}

void QtTextPainter::ChooseFont(std::string_view family, int points, FontWeight weight) {
    QFont f(Cp1252ToQString(family));
    f.setPixelSize(PointsToPixels(points));
    f.setBold(weight == FontWeight::Bold);
    f.setStyleStrategy(QFont::NoAntialias);
    if (f != font_) {
        font_ = f;
        coverValid_ = false;
    }
}

TextExtent QtTextPainter::Measure(std::string_view text) {
    const QFontMetrics fm(font_);
    const QString s = Cp1252ToQString(Bounded(text));
    return {fm.horizontalAdvance(s), fm.height()};
}

const QImage& QtTextPainter::Cover(std::string_view text) {
    text = Bounded(text);
    if (coverValid_ && coverText_ == text)
        return cover_;
    const QFontMetrics fm(font_);
    const QString s = Cp1252ToQString(text);
    // Wide enough for glyphs that reach past their advance (italics, overhangs).
    const int width = std::max(1, fm.horizontalAdvance(s) + fm.maxWidth());
    cover_ = QImage(width, std::max(1, fm.height()), QImage::Format_ARGB32_Premultiplied);
    cover_.fill(Qt::transparent);
    {
        QPainter p(&cover_);
        p.setFont(font_);
        p.setPen(Qt::black);
        p.drawText(0, fm.ascent(), s);
    }
    coverText_ = std::string(text);
    coverValid_ = true;
    return cover_;
}

void QtTextPainter::DrawText(Surface16& dst, int x, int y, std::string_view text, Pixel16 colour) {
    const QImage& cover = Cover(text);
    const PixelRect area = Intersect({x, y, cover.width(), cover.height()}, dst.clip());
    for (int row = area.top; row < area.bottom(); ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(cover.constScanLine(row - y));
        Pixel16* d = dst.row(row);
        for (int col = area.left; col < area.right(); ++col) {
            if (qAlpha(line[col - x]) >= 128)
                d[col] = colour;
        }
    }
}

}  // namespace pk
