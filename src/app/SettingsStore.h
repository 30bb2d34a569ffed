#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct SettingValue {
    enum class Type { Text = 1, Number = 4 };
    Type type = Type::Text;
    std::string text;
    int32_t number = 0;

    static SettingValue fromText(std::string t) { return {Type::Text, std::move(t), 0}; }
    static SettingValue fromNumber(int32_t n) { return {Type::Number, {}, n}; }
};

// Per-user key/value store (the registry on Windows). Key paths are written as
// "Software\ZQ Technologies\Utility\Kelvane\STARTUP".
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Nothing when the key or the value does not exist or cannot be read.
    virtual std::optional<SettingValue> read(const std::string& keyPath, const std::string& name) = 0;
    // Failures are ignored.
    virtual void write(const std::string& keyPath, const std::string& name, const SettingValue& value) = 0;
    // Removes the value; one that is not there is no failure.
    virtual void remove(const std::string& keyPath, const std::string& name) = 0;
    // The file that holds the settings, or empty where they are not kept in one.
    virtual std::string fileName() const { return {}; }
};
