#pragma once

#include <cstdint>
#include <string>
#include "app/SettingsStore.h"

class Engine;

// Per-user settings: the registry keys on Windows, the settings store elsewhere.
class Settings {
public:
    explicit Settings(Engine& k) : k_(k) {}

    static constexpr const char* SettingsKey = "Software\\ZQ Technologies\\Utility\\Kelvane\\STARTUP";
    static constexpr const char* VersionKey = "Software\\ZQ Technologies\\Utility\\Kelvane\\Version";
    static constexpr const char* ProgramKey = "Software\\ZQ Technologies\\Utility\\Kelvane";

    // valueType 0 becomes 1 (text); 4 stores a 32-bit number; other types write nothing.
    void WriteRegValue(const std::string& keyPath, const std::string& valueName, const SettingValue& value,
                       int32_t& valueType);
    // The stored value, or the default when it is missing or empty.
    SettingValue ReadRegValue(const std::string& keyPath, const std::string& valueName,
                              const SettingValue& defaultValue);
    void LoadSettings();
    void SaveVersionInfo();

private:
    Engine& k_;
};
