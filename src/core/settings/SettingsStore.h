#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace rz {

// A failure of the settings store: a value of another kind than asked for, a
// value that cannot be read, or a store that cannot be opened or written.
class SettingsStoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How a value sits in the store. Booleans are kept as integers (1 or 0), so
// a boolean and an integer are the same stored kind: any non-zero integer
// reads as true.
enum class StoredKind { Integer, Text, Date };

struct StoredValue {
    StoredKind kind = StoredKind::Integer;
    std::int32_t integer = 0;
    std::string text;
    double date = 0.0; // days since 30 December 1899, the fraction is the time of day

    static StoredValue ofInteger(std::int32_t v) { return {StoredKind::Integer, v, {}, 0.0}; }
    static StoredValue ofText(std::string v) { return {StoredKind::Text, 0, std::move(v), 0.0}; }
    static StoredValue ofDate(double v) { return {StoredKind::Date, 0, {}, v}; }
    bool operator==(const StoredValue&) const = default;
};

// The per-user store of named settings. Names are case-insensitive. The
// typed reads give nullopt for a missing value and throw SettingsStoreError
// for a value of another kind or one that cannot be read; the writes throw
// SettingsStoreError when the value cannot be written.
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;

    // Opens the store (a missing store is created when it is written).
    virtual void open() = 0;
    // Makes every write since open() durable. Throws when that fails; the
    // store then keeps what it held before.
    virtual void close() = 0;

    // The raw value; nullopt when there is none. Throws when it cannot be read.
    virtual std::optional<StoredValue> get(const std::string& name) = 0;
    virtual void put(const std::string& name, const StoredValue& value) = 0;
    // Where the store keeps its values, for the user (a file's path); empty
    // when it has no place of its own.
    virtual std::string location() const { return {}; }

    std::optional<bool> readBool(const std::string& name);
    std::optional<std::int32_t> readInt(const std::string& name);
    std::optional<std::string> readText(const std::string& name);
    std::optional<double> readDate(const std::string& name);

    void writeBool(const std::string& name, bool value) { put(name, StoredValue::ofInteger(value ? 1 : 0)); }
    void writeInt(const std::string& name, std::int32_t value) { put(name, StoredValue::ofInteger(value)); }
    void writeText(const std::string& name, const std::string& value) { put(name, StoredValue::ofText(value)); }
    void writeDate(const std::string& name, double value) { put(name, StoredValue::ofDate(value)); }
};

// Lower-case form of a value name (ASCII letters only), the key for
// case-insensitive lookups.
std::string settingsKey(const std::string& name);

// A store held in memory: the start-up state of a fresh machine, and the
// store that tests fill and inspect.
class MemorySettingsStore : public ISettingsStore {
public:
    void open() override {}
    void close() override {}
    std::optional<StoredValue> get(const std::string& name) override;
    void put(const std::string& name, const StoredValue& value) override;

    bool contains(const std::string& name) const { return values_.count(settingsKey(name)) != 0; }
    void erase(const std::string& name) { values_.erase(settingsKey(name)); }
    bool empty() const { return values_.empty(); }
    // Names as first written, in case-insensitive order.
    std::vector<std::string> names() const;

private:
    struct Entry {
        std::string name; // spelling of the first write
        StoredValue value;
    };
    std::map<std::string, Entry> values_;
};

} // namespace rz
