#include "game/zrrandom.h"

#include "platform/clocks.h"

namespace pk {

TRandomGen TRandomGen::FromTimeOfDay() {
    return TRandomGen(static_cast<uint32_t>(LocalMillisecondsOfDay()));
}

}  // namespace pk
