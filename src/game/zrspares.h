#pragma once
// `SparePool`: a few spent objects of one kind kept for the next, where an object comes and
// goes with every piece and allocating it anew is most of its cost. A kept object is poisoned
// for AddressSanitizer, so that a reference kept to a spent one is still reported as one to a
// freed object would be.
#include <sanitizer/asan_interface.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace pk {

template <class T, std::size_t MaxSpares>
class SparePool {
public:
    SparePool() = default;
    SparePool(const SparePool&) = delete;
    SparePool& operator=(const SparePool&) = delete;
    ~SparePool() { Clear(); }

    // Keeps the object when there is room; otherwise it is freed.
    void Give(std::unique_ptr<T> object) {
        if (!object || spares_.size() >= MaxSpares)
            return;
        if (spares_.capacity() == 0)
            spares_.reserve(MaxSpares);
        ASAN_POISON_MEMORY_REGION(object.get(), sizeof(T));
        spares_.push_back(std::move(object));
    }

    // A kept object as it was given, or a new one.
    std::unique_ptr<T> Take() {
        if (spares_.empty())
            return std::make_unique<T>();
        std::unique_ptr<T> object = std::move(spares_.back());
        spares_.pop_back();
        ASAN_UNPOISON_MEMORY_REGION(object.get(), sizeof(T));
        return object;
    }

    void Clear() {
        for (auto& object : spares_) ASAN_UNPOISON_MEMORY_REGION(object.get(), sizeof(T));
        spares_.clear();
        spares_.shrink_to_fit();
    }

private:
    std::vector<std::unique_ptr<T>> spares_;
};

}  // namespace pk
