#include "editor/ui/zrmaincombo.h"

#include <QComboBox>
#include <QSignalBlocker>

#include "platform/cp1252.h"

namespace pk {

TZRC* ChosenMainBitmap(const QComboBox* combo) {
    return combo->currentIndex() < 0
               ? nullptr
               : reinterpret_cast<TZRC*>(combo->currentData().value<quintptr>());
}

void FillMainBitmapCombo(QComboBox* combo, const KledDoc& doc, bool withReferences,
                         TZRC** remembered) {
    TZRC* want = withReferences ? (remembered ? *remembered : nullptr) : ChosenMainBitmap(combo);
    const std::vector<TZRC*> mains = doc.MainBitmaps(withReferences);
    const QSignalBlocker block(combo);
    combo->clear();
    int index = mains.empty() ? -1 : 0;
    for (size_t i = 0; i < mains.size(); ++i) {
        combo->addItem(Cp1252ToQString(mains[i]->name()),
                       QVariant::fromValue(reinterpret_cast<quintptr>(mains[i])));
        if (mains[i] == want)
            index = static_cast<int>(i);
    }
    combo->setCurrentIndex(index);
    if (withReferences && remembered)
        *remembered = ChosenMainBitmap(combo);
}

}  // namespace pk
