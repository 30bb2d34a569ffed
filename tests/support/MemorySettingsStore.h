#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <utility>

#include "app/SettingsStore.h"

class MemorySettingsStore : public SettingsStore {
public:
    std::optional<SettingValue> read(const std::string& keyPath, const std::string& name) override {
        if (unreadable) throw std::runtime_error("settings unreadable");
        auto it = values.find({keyPath, name});
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    void write(const std::string& keyPath, const std::string& name, const SettingValue& value) override {
        values[{keyPath, name}] = value;
    }
    void remove(const std::string& keyPath, const std::string& name) override { values.erase({keyPath, name}); }
    std::string text(const std::string& keyPath, const std::string& name) const {
        auto it = values.find({keyPath, name});
        return it == values.end() ? std::string() : it->second.text;
    }

    std::map<std::pair<std::string, std::string>, SettingValue> values;
    bool unreadable = false;
};
