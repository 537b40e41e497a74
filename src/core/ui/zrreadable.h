#pragma once
// Text colours that read on their ground. A window draws names and captions in colours of its
// palette (or of a theme), which were chosen for other things (the face of a button, the shadow
// of an edge) and may sit on the ground they are drawn on almost unseen. Such a colour is moved
// toward black on a light ground, toward white on a dark one, just far enough to stand out by
// MinTextContrast (zrconst.h); one that already does is kept as it is. The rule itself is
// ReadableColour of core/zrcolour.h, which the skins' palettes use too.
#include <QColor>

namespace pk {

QColor ReadableOn(const QColor& ink, const QColor& ground);

}  // namespace pk
