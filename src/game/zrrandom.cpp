#include "game/zrrandom.h"

#include <chrono>

namespace pk {

TRandomGen TRandomGen::FromTimeOfDay() {
    using namespace std::chrono;
    const auto now = zoned_time(current_zone(), system_clock::now()).get_local_time();
    const auto ms = duration_cast<milliseconds>(now - floor<days>(now)).count();
    return TRandomGen(static_cast<uint32_t>(ms));
}

}  // namespace pk
