#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

const std::string Startup = "Software\\ZQ Technologies\\Utility\\Kelvane\\STARTUP";
const std::string VersionKey = "Software\\ZQ Technologies\\Utility\\Kelvane\\Version";

TEST(Settings, AFirstRunReadsTheDefaultsAndStoredValuesReachTheirFields) {
    EngineHarness h;
    h.st().tessinFilePath = "stale";
    h.engine->settings.LoadSettings();
    const State& s = h.st();
    EXPECT_TRUE(s.portNumber == 1 && s.termColor == 0 && s.termMode && s.showZqOnlyObjects == 3);
    EXPECT_EQ(s.tessinFilePath, "");

    h.store.values[{Startup, "Tarsel16FilePath"}] = SettingValue::fromText("c:\\x\xE9.img");
    h.store.values[{Startup, "PortNumber"}] = SettingValue::fromNumber(6);
    h.store.values[{Startup, "trmOnOff"}] = SettingValue::fromNumber(0);
    h.engine->settings.LoadSettings();
    EXPECT_EQ(s.tarsel16FilePath, "c:\\x\xE9.img");
    EXPECT_EQ(s.portNumber, 6);
    EXPECT_FALSE(s.termMode);
}

TEST(Settings, StoredTextsConvertOrFallBackToTheDefault) {
    struct Case {
        std::string name, stored;
        int expected;  // the field's value after loading
    };
    const Case cases[] = {
        {"PortNumber", "4", 4},       {"PortNumber", " 7 ", 7},    {"PortNumber", "-2", -2},
        {"PortNumber", "", 1},        {"PortNumber", "abc", 1},    {"PortNumber", "3x", 1},
        {"PortNumber", "2.5", 1},     {"PortNumber", "70000", 1},  {"PortNumber", "99999999999999999999", 1},
        {"trmcolor", "2", 2},         {"trmcolor", "blue", 0},     {"ShowZqOnlyObjects", "0", 0},
        {"ShowZqOnlyObjects", "-", 3}, {"trmOnOff", "False", 0},   {"trmOnOff", "true", 1},
        {"trmOnOff", "0", 0},         {"trmOnOff", "-1", 1},       {"trmOnOff", "maybe", 1},
    };
    for (const Case& c : cases) {
        EngineHarness h;
        h.store.values[{Startup, c.name}] = SettingValue::fromText(c.stored);
        h.engine->settings.LoadSettings();
        const State& s = h.st();
        const int actual = c.name == "PortNumber" ? s.portNumber
                           : c.name == "trmcolor" ? s.termColor
                           : c.name == "trmOnOff" ? int(s.termMode)
                                                  : s.showZqOnlyObjects;
        EXPECT_EQ(actual, c.expected) << c.name << " = \"" << c.stored << "\"";
    }
}

TEST(Settings, WritesStoreTextOrNumbersByTypeAndTheVersionIsRecorded) {
    EngineHarness h;
    Settings& settings = h.engine->settings;
    int32_t type = 0;
    settings.WriteRegValue(Startup, "PortNumber", SettingValue::fromNumber(3), type);
    EXPECT_EQ(type, 1);
    type = 4;
    settings.WriteRegValue(Startup, "bad", SettingValue::fromText("twelve"), type);
    type = 3;
    settings.WriteRegValue(Startup, "other", SettingValue::fromText("x"), type);
    settings.SaveVersionInfo();

    const auto& v = h.store.values;
    EXPECT_EQ(v.at({Startup, "PortNumber"}).type, SettingValue::Type::Text);
    EXPECT_EQ(v.at({Startup, "PortNumber"}).text, "3");
    EXPECT_EQ(v.count({Startup, "bad"}) + v.count({Startup, "other"}), 0u);
    for (const auto& [name, number] : {std::pair<std::string, int>{"major", 2}, {"minor", 2}, {"patch", 0}}) {
        EXPECT_EQ(v.at({VersionKey, name}).type, SettingValue::Type::Number) << name;
        EXPECT_EQ(v.at({VersionKey, name}).number, number) << name;
    }
    EXPECT_EQ(h.store.text("Software\\ZQ Technologies\\Utility\\Kelvane", "path"), "/opt/kelvane");
}

}  // namespace
