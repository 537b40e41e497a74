#include "core/zrkeyvalue.h"

#include "core/zrmisc.h"
#include "core/zrzstream.h"

namespace pk {

KeyValueList& KeyValueList::operator=(const KeyValueList& other) {
    // The copied keys are lower-cased and unique already: only the index,
    // which points into the list, has to be built anew.
    if (this != &other) {
        pairs_ = other.pairs_;
        index_.clear();
        for (auto it = pairs_.begin(); it != pairs_.end(); ++it) {
            index_[it->key] = it;
        }
    }
    return *this;
}

void KeyValueList::Set(std::string_view key, std::string value) {
    std::string lower = LowerCase(key);
    if (auto it = index_.find(lower); it != index_.end()) {
        pairs_.erase(it->second);
        index_.erase(it);
    }
    pairs_.push_back({lower, std::move(value)});
    index_[std::move(lower)] = std::prev(pairs_.end());
}

const std::string* KeyValueList::Find(std::string_view key) const {
    auto it = index_.find(LowerCase(key));
    return it == index_.end() ? nullptr : &it->second->value;
}

bool KeyValueList::Remove(std::string_view key) {
    auto it = index_.find(LowerCase(key));
    if (it == index_.end()) {
        return false;
    }
    pairs_.erase(it->second);
    index_.erase(it);
    return true;
}

void KeyValueList::Clear() {
    pairs_.clear();
    index_.clear();
}

std::string KeyValueList::Serialize() const {
    ByteWriter out;
    for (const Pair& p : pairs_) {
        WriteLenString(out, p.key);
        WriteLenString(out, p.value);
    }
    return std::move(out.out());
}

bool ParseSerialForm(std::string_view data,
                     const std::function<void(std::string key, std::string value)>& onPair) {
    ByteReader in(data);
    while (!in.atEnd()) {
        std::string key = ReadLenString(in);
        std::string value = ReadLenString(in);
        if (!in.ok()) {
            return false;
        }
        onPair(std::move(key), std::move(value));
    }
    return true;
}

std::optional<std::string> InflateSerialForm(std::string_view compressed, std::size_t maxSize) {
    if (compressed.empty()) {
        return std::nullopt;
    }
    return Decompress(compressed, maxSize);
}

}  // namespace pk
