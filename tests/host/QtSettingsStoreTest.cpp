#include <gtest/gtest.h>

#include <QSettings>

#include "TemporaryHome.h"
#include "host/QtSettingsStore.h"

const std::string ProgramKey = "Software\\ZQ Technologies\\Utility\\Kelvane";
const std::string Startup = ProgramKey + "\\STARTUP";

struct QtSettingsStoreTest : ::testing::Test {
    TemporaryHome home;
    std::string iniPath() const { return home.config() + "/ZQ Technologies/Utility/Kelvane.ini"; }
    void writeIni(const std::string& contents) {
        std::filesystem::create_directories(home.config() + "/ZQ Technologies/Utility");
        WriteFile(iniPath(), contents);
    }
};

TEST_F(QtSettingsStoreTest, ValuesLandInTheIniFileUnderTheirGroupsAndReadBackAsText) {
    QtSettingsStore store;
    store.write(Startup, "PortNumber", SettingValue::fromText("3"));
    store.write(ProgramKey + "\\Version", "major", SettingValue::fromNumber(2));
    store.write(ProgramKey, "path", SettingValue::fromText("/opt/kelvane"));

    QSettings ini(QString::fromStdString(iniPath()), QSettings::IniFormat);
    EXPECT_EQ(ini.value("STARTUP/PortNumber").toString(), "3");
    EXPECT_EQ(ini.value("Version/major").toString(), "2");
    EXPECT_EQ(ini.value("path").toString(), "/opt/kelvane");
    EXPECT_EQ(store.read(ProgramKey + "\\Version", "major")->text, "2");
    EXPECT_FALSE(store.read(Startup, "portnumber"));
    EXPECT_FALSE(store.read(ProgramKey, "PortNumber"));

    for (const std::string text : {"True", " 7 ", "a, b", "@Variant(x)", "c:\\dir\\f.img", "Gr\xC3\xBC\xC3\x9F" "e",
                                   ";x", "x=y", "\"q\""}) {
        store.write(Startup, "value", SettingValue::fromText(text));
        EXPECT_EQ(QtSettingsStore().read(Startup, "value")->text, text);
    }

    home.unset("XDG_CONFIG_HOME");
    EXPECT_EQ(QtSettingsStore().location().toStdString(), home.home() + "/.config/ZQ Technologies/Utility/Kelvane.ini");
}

TEST_F(QtSettingsStoreTest, HandEditedValuesReadAsTextOrNothingAndADamagedFileIsKeptAsideBeforeItIsRewritten) {
    writeIni("[STARTUP]\n"
             "TessinFilePath=c:\\\\a, b.img\n"
             "trmcolor=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x1garbage)\n"
             "trmOnOff=@ByteArray(False)\n");
    EXPECT_EQ(QtSettingsStore().read(Startup, "TessinFilePath")->text, "c:\\a, b.img");
    EXPECT_FALSE(QtSettingsStore().read(Startup, "trmcolor"));
    EXPECT_EQ(QtSettingsStore().read(Startup, "trmOnOff")->text, "False");

    static const char raw[] = "[STARTUP]\nPortNumber=4\n[unterminated\n\x00\xff\xfe=\x01\nno equals sign\n";
    const std::string damaged(raw, sizeof raw - 1);
    writeIni(damaged);
    QtSettingsStore store;
    EXPECT_EQ(store.read(Startup, "PortNumber")->text, "4");
    store.write(Startup, "trmcolor", SettingValue::fromText("1"));
    EXPECT_EQ(ReadFile(iniPath() + ".damaged"), damaged);
    EXPECT_EQ(store.read(Startup, "trmcolor")->text, "1");
    EXPECT_EQ(store.read(Startup, "PortNumber")->text, "4");

    // A configuration "folder" that is a file: nothing is stored, nothing fails.
    home.set("XDG_CONFIG_HOME", iniPath());
    QtSettingsStore blocked;
    blocked.write(Startup, "PortNumber", SettingValue::fromText("5"));
    EXPECT_FALSE(blocked.read(Startup, "PortNumber"));
}
