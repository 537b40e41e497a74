#include "core/zrxsettings.h"

#include "core/zrmisc.h"
#include "core/zrzstream.h"

namespace pk {

void TXSettings::SetValue(std::string_view key, std::string value) {
    list_.Set(key, std::move(value));
}

void TXSettings::SetInt(std::string_view key, std::int32_t value) {
    SetValue(key, std::to_string(value));
}

void TXSettings::SetByte(std::string_view key, int value) {
    SetValue(key, std::to_string(value & 255));
}

void TXSettings::Delete(std::string_view key) {
    list_.Remove(key);
}

void TXSettings::Clear() {
    list_.Clear();
}

std::string TXSettings::GetValue(std::string_view key) const {
    const std::string* value = list_.Find(key);
    return value ? *value : std::string();
}

bool TXSettings::Has(std::string_view key) const {
    return list_.Find(key) != nullptr;
}

std::int32_t TXSettings::GetInt(std::string_view key, std::int32_t def) const {
    const std::string* value = list_.Find(key);
    if (!value) {
        return def;
    }
    return ParseInt(*value).value_or(def);
}

std::uint8_t TXSettings::GetByte(std::string_view key, int def) const {
    return static_cast<std::uint8_t>(GetInt(key, def & 255) & 255);
}

std::string TXSettings::SaveToString() const {
    return list_.Serialize();
}

bool TXSettings::LoadFromString(std::string_view serial) {
    return ParseSerialForm(serial, [this](std::string_view key, std::string value) {
        list_.Set(key, std::move(value));
    });
}

std::string TXSettings::SaveToCompressed() const {
    return Compress(SaveToString(), CompressionLevel::Max);
}

bool TXSettings::LoadFromCompressed(std::string_view compressed) {
    auto serial = InflateSerialForm(compressed, MaxInflatedSize);
    return serial && LoadFromString(*serial);
}

}  // namespace pk
