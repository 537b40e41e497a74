#include "game/zrrandom.h"

#include <QTime>

namespace pk {

TRandomGen TRandomGen::FromTimeOfDay() {
    return TRandomGen(static_cast<uint32_t>(QTime::currentTime().msecsSinceStartOfDay()));
}

}  // namespace pk
