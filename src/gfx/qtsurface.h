// The Qt edge of the pixel layer: surfaces to and from QImage for presenting, and text drawn
// with Qt's fonts. Needs a QGuiApplication for the fonts; nothing here uses widgets.
#pragma once

#include <QFont>
#include <QImage>
#include <string>

#include "gfx/surface.h"
#include "gfx/text.h"

namespace pk {

// A copy in QImage::Format_RGB555, rows top-down.
QImage ToQImage(const Surface16& surface);
// Any QImage; each channel keeps its top 5 bits.
Surface16 SurfaceFromQImage(const QImage& image);

// Draws text without anti-aliasing, as the classic outlined labels look: a pixel takes the
// colour where the glyph covers at least half of it.
class QtTextPainter : public TextPainter {
public:
    QtTextPainter();
    TextExtent Measure(std::string_view text) override;
    void DrawText(Surface16& dst, int x, int y, std::string_view text, Pixel16 colour) override;

protected:
    void ChooseFont(std::string_view family, int points, FontWeight weight) override;

private:
    // The glyph cover of the last text drawn (outlined text draws the same text nine times).
    const QImage& Cover(std::string_view text);

    QFont font_;
    std::string coverText_;
    QImage cover_;
    bool coverValid_ = false;
};

}  // namespace pk
