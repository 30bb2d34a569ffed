#pragma once

#include <QString>

#include "app/SettingsStore.h"

// The per-user settings on Qt. On Windows: the registry below HKEY_CURRENT_USER, with
// the key paths as given. Elsewhere: the INI file "ZQ Technologies/Utility/Kelvane.ini"
// in the user's configuration folder ($XDG_CONFIG_HOME, by default ~/.config); the
// keys below the program's own key become groups ("STARTUP", "Version", "Ports",
// "Drives"), the program key's own values sit at top level, and everything reads back
// as text. A damaged file is kept as Kelvane.ini.damaged before the first write
// rewrites it. Texts are in the local 8-bit encoding (UTF-8 on Linux).
class QtSettingsStore : public SettingsStore {
public:
    // The file is located when the store is made.
    QtSettingsStore();

    std::optional<SettingValue> read(const std::string& keyPath, const std::string& name) override;
    void write(const std::string& keyPath, const std::string& name, const SettingValue& value) override;
    void remove(const std::string& keyPath, const std::string& name) override;
    std::string fileName() const override;

    // Where the settings live: the INI file's path, or the registry root on Windows.
    const QString& location() const { return location_; }

private:
    QString location_;
    // A read found the file damaged.
    bool damaged_ = false;
};
