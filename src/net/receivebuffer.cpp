#include "net/receivebuffer.h"

#include <algorithm>

namespace pk {

void ReceiveBuffer::Append(std::string_view bytes) {
    // Every byte moved here was taken since the last move, so the moves cost no more in all
    // than the bytes received.
    if (offset_ > 0 && offset_ >= bytes_.size() - offset_) {
        bytes_.erase(0, offset_);
        offset_ = 0;
    }
    bytes_.append(bytes);
}

void ReceiveBuffer::Consume(std::size_t count) {
    offset_ += std::min(count, size());
    if (offset_ == bytes_.size()) {
        clear();
    }
}

}  // namespace pk
