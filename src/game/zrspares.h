#pragma once
// `SparePool`: a few spent objects of one kind kept for the next, where an object comes and
// goes with every piece and allocating it anew is most of its cost. A kept object is poisoned
// for AddressSanitizer, so that a reference kept to a spent one is still reported as one to a
// freed object would be.
#include <sanitizer/asan_interface.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define PK_SPARES_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PK_SPARES_ASAN 1
#endif
#endif

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
        KeepImage(*object);
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
        DropImage();
        return object;
    }

    void Clear() {
        for (auto& object : spares_) ASAN_UNPOISON_MEMORY_REGION(object.get(), sizeof(T));
        spares_.clear();
        spares_.shrink_to_fit();
        DropAllImages();
    }

private:
    std::vector<std::unique_ptr<T>> spares_;

#ifdef PK_SPARES_ASAN
    // LeakSanitizer does not look for pointers in poisoned memory, so what a kept object owns
    // (a string's buffer, say) would be reported as leaked. An unpoisoned copy of each kept
    // object's bytes shows it those pointers; the copy is never used as an object. It is
    // aligned as the object is, since the checker looks only at whole aligned words.
    struct alignas(T) Image {
        std::array<std::byte, sizeof(T)> bytes;
    };
    std::vector<Image> images_;

    void KeepImage(const T& object) {
        if (images_.capacity() == 0)
            images_.reserve(MaxSpares);
        auto& image = images_.emplace_back();
        std::memcpy(image.bytes.data(), static_cast<const void*>(&object), sizeof(T));
    }
    void DropImage() {
        images_.pop_back();
    }
    void DropAllImages() {
        images_.clear();
        images_.shrink_to_fit();
    }
#else
    void KeepImage(const T&) {}
    void DropImage() {}
    void DropAllImages() {}
#endif
};

}  // namespace pk
