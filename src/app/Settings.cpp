#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "app/Settings.h"

#include <stdexcept>

#include "app/Engine.h"

void Settings::WriteRegValue(const std::string& keyPath, const std::string& valueName, const SettingValue& value, int32_t& valueType) { throw std::logic_error("Settings::WriteRegValue is not built yet"); }
SettingValue Settings::ReadRegValue(const std::string& keyPath, const std::string& valueName, const SettingValue& defaultValue) { throw std::logic_error("Settings::ReadRegValue is not built yet"); }
void Settings::LoadSettings() { throw std::logic_error("Settings::LoadSettings is not built yet"); }
void Settings::SaveVersionInfo() { throw std::logic_error("Settings::SaveVersionInfo is not built yet"); }
