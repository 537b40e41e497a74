#pragma once
// Bytes received on a link and not yet taken by its parser. Taking bytes only moves an offset;
// the taken front is dropped when new bytes arrive and it outweighs the rest, so a buffer that
// holds many frames costs linear time to take apart, not quadratic.
#include <cstddef>
#include <string>
#include <string_view>

namespace pk {

class ReceiveBuffer {
public:
    void Append(std::string_view bytes);
    ReceiveBuffer& operator+=(std::string_view bytes) {
        Append(bytes);
        return *this;
    }
    // The bytes not yet taken.
    std::string_view View() const { return std::string_view(bytes_).substr(offset_); }
    std::size_t size() const { return bytes_.size() - offset_; }
    bool empty() const { return size() == 0; }
    // Takes `count` bytes (at most all there are) off the front.
    void Consume(std::size_t count);
    void clear() {
        bytes_.clear();
        offset_ = 0;
    }

private:
    std::string bytes_;
    std::size_t offset_ = 0;
};

}  // namespace pk
