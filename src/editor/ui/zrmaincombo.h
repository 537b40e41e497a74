// The combo boxes that list a document's main bitmaps: the references combo
// of the main window and the skin preview's theme combo.
#pragma once

#include "editor/zrdoc.h"

class QComboBox;

namespace pk {

// Fills the combo with the names of the main bitmaps of the document in list
// order, each item holding its entry; reference entries only when asked.
// Without references the entry chosen before stays chosen (the first when it
// is gone). With references (the skin preview) `remembered` is chosen; when it
// is not there the first item is, and becomes the remembered one (none when
// the combo is empty).
void FillMainBitmapCombo(QComboBox* combo, const KledDoc& doc, bool withReferences,
                         TZRC** remembered = nullptr);
// The entry of the chosen item; nullptr when none is chosen.
TZRC* ChosenMainBitmap(const QComboBox* combo);

}  // namespace pk
