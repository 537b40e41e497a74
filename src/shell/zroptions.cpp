#include "shell/zroptions.h"

#include "core/zrmisc.h"

namespace pk {

int32_t OptionNumber(std::string_view text, int32_t notANumber) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return ParseInt(text).value_or(notANumber);
}

}  // namespace pk
