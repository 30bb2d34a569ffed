#include "app/Settings.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <optional>

#include "app/Engine.h"
#include "app/Text.h"
#include "app/Version.h"

namespace {

constexpr int32_t TextType = 1;
constexpr int32_t NumberType = 4;

// A whole number in decimal, blanks around it allowed; nothing for anything else,
// so that a hand-edited value of letters falls back to its default.
std::optional<long long> wholeNumber(const SettingValue& value) {
    if (value.type == SettingValue::Type::Number) return value.number;
    const std::string digits = Text::trim(value.text);
    const size_t signLength = !digits.empty() && (digits[0] == '+' || digits[0] == '-') ? 1 : 0;
    if (digits.size() == signLength || digits.find_first_not_of("0123456789", signLength) != std::string::npos)
        return std::nullopt;
    errno = 0;
    const long long n = std::strtoll(digits.c_str(), nullptr, 10);
    if (errno == ERANGE) return std::nullopt;
    return n;
}

int16_t toInt16(const SettingValue& value, int16_t fallback) {
    const auto n = wholeNumber(value);
    if (!n || *n < std::numeric_limits<int16_t>::min() || *n > std::numeric_limits<int16_t>::max()) return fallback;
    return static_cast<int16_t>(*n);
}

// The word True or False in any letter case, or a number (non-zero is True).
bool toBoolean(const SettingValue& value, bool fallback) {
    if (value.type == SettingValue::Type::Text) {
        const std::string word = Text::lower(Text::trim(value.text));
        if (word == "true") return true;
        if (word == "false") return false;
    }
    const auto n = wholeNumber(value);
    return n ? *n != 0 : fallback;
}

std::string asText(const SettingValue& value) {
    return value.type == SettingValue::Type::Number ? std::to_string(value.number) : value.text;
}

}  // namespace

void Settings::WriteRegValue(const std::string& keyPath, const std::string& valueName, const SettingValue& value,
                             int32_t& valueType) {
    if (valueType == 0) valueType = TextType;
    if (valueType == TextType) {
        k_.store.write(keyPath, valueName, SettingValue::fromText(asText(value)));
    } else if (valueType == NumberType) {
        const auto n = wholeNumber(value);
        if (n && *n >= std::numeric_limits<int32_t>::min() && *n <= std::numeric_limits<int32_t>::max())
            k_.store.write(keyPath, valueName, SettingValue::fromNumber(static_cast<int32_t>(*n)));
    }
}

SettingValue Settings::ReadRegValue(const std::string& keyPath, const std::string& valueName,
                                    const SettingValue& defaultValue) {
    const std::optional<SettingValue> stored = k_.store.read(keyPath, valueName);
    if (!stored || (stored->type == SettingValue::Type::Text && stored->text.empty())) return defaultValue;
    return *stored;
}

void Settings::LoadSettings() {
    State& s = k_.state;
    const auto read = [this](const char* name, const char* fallback) {
        return ReadRegValue(SettingsKey, name, SettingValue::fromText(fallback));
    };
    s.portNumber = toInt16(read("PortNumber", "1"), 1);
    s.vardaFilePath = asText(read("VardaFilePath", ""));
    s.tessinFilePath = asText(read("TessinFilePath", ""));
    s.sixR55FilePath = asText(read("sixR55FilePath", ""));
    s.halcynFilePath = asText(read("HalcynFilePath", ""));
    s.tarsel16FilePath = asText(read("Tarsel16FilePath", ""));
    s.termColor = toInt16(read("trmcolor", "0"), 0);
    s.termMode = toBoolean(read("trmOnOff", "1"), true);
    s.showZqOnlyObjects = toInt16(read("ShowZqOnlyObjects", "3"), 3);
}

void Settings::SaveVersionInfo() {
    int32_t type = NumberType;
    WriteRegValue(VersionKey, "major", SettingValue::fromNumber(Version::Major), type);
    WriteRegValue(VersionKey, "minor", SettingValue::fromNumber(Version::Minor), type);
    WriteRegValue(VersionKey, "patch", SettingValue::fromNumber(Version::Revision), type);
    type = 0;
    WriteRegValue(ProgramKey, "path", SettingValue::fromText(k_.setup.programFolder), type);
}
