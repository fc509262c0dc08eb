#include "settings/SettingsStore.h"

#include <cmath>

namespace rz {
namespace {

const char* kindName(StoredKind k) {
    switch (k) {
    case StoredKind::Integer:
        return "integer";
    case StoredKind::Text:
        return "text";
    case StoredKind::Date:
        return "date";
    }
    return "?";
}

const StoredValue& expect(const StoredValue& v, StoredKind kind, const std::string& name) {
    if (v.kind != kind)
        throw SettingsStoreError("setting \"" + name + "\" holds " + kindName(v.kind) + ", not " + kindName(kind));
    return v;
}

} // namespace

std::string settingsKey(const std::string& name) {
    std::string k = name;
    for (char& c : k)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return k;
}

std::optional<bool> ISettingsStore::readBool(const std::string& name) {
    const auto v = get(name);
    if (!v)
        return std::nullopt;
    return expect(*v, StoredKind::Integer, name).integer != 0;
}

std::optional<std::int32_t> ISettingsStore::readInt(const std::string& name) {
    const auto v = get(name);
    if (!v)
        return std::nullopt;
    return expect(*v, StoredKind::Integer, name).integer;
}

std::optional<std::string> ISettingsStore::readText(const std::string& name) {
    auto v = get(name);
    if (!v)
        return std::nullopt;
    expect(*v, StoredKind::Text, name);
    return std::move(v->text);
}

std::optional<double> ISettingsStore::readDate(const std::string& name) {
    const auto v = get(name);
    if (!v)
        return std::nullopt;
    const double d = expect(*v, StoredKind::Date, name).date;
    // Not a day at all: the picker cannot show it.
    if (!std::isfinite(d))
        throw SettingsStoreError("setting \"" + name + "\" holds no valid date");
    return d;
}

std::optional<StoredValue> MemorySettingsStore::get(const std::string& name) {
    const auto it = values_.find(settingsKey(name));
    if (it == values_.end())
        return std::nullopt;
    return it->second.value;
}

void MemorySettingsStore::put(const std::string& name, const StoredValue& value) {
    auto [it, inserted] = values_.try_emplace(settingsKey(name), Entry{name, value});
    if (!inserted)
        it->second.value = value;
}

std::vector<std::string> MemorySettingsStore::names() const {
    std::vector<std::string> out;
    for (const auto& [key, entry] : values_)
        out.push_back(entry.name);
    return out;
}

} // namespace rz
