#include <gtest/gtest.h>

#include "HostTest.h"
#include "TemporaryHome.h"
#include "TextSearch.h"
#include "host/ComPortMapping.h"
#include "host/QtSettingsStore.h"

namespace {

namespace fs = std::filesystem;
using Source = ComPortMapping::Source;

// Port mappings in a home of their own; this machine lists no devices.
struct ComPortMappingTest : ::testing::Test {
    ComPortMappingTest() {
        for (int n = 1; n <= 9; ++n) home.unset(("KELVANE_COM" + std::to_string(n)).c_str());
    }

    TemporaryHome home;
    QtSettingsStore settings;  // after the home, whose configuration folder it uses
    ComPortMapping ports{settings, [] { return QList<SerialDevice>{}; }};
};

TEST_F(ComPortMappingTest, TheEnvironmentBeatsTheSettingWhichBeatsTheMachinesOwnPort) {
    home.set("KELVANE_COM2", "/dev/pts/7");
    settings.write("Software\\ZQ Technologies\\Utility\\Kelvane\\Ports", "Com2", SettingValue::fromText("/dev/x"));
    settings.write("Software\\ZQ Technologies\\Utility\\Kelvane\\Ports", "Com3", SettingValue::fromText("/dev/y"));
    const std::tuple<int, const char*, Source> cases[] = {
        {1, "/dev/ttyS0", Source::Default}, {9, "/dev/ttyS8", Source::Default},
        {2, "/dev/pts/7", Source::Environment}, {3, "/dev/y", Source::Setting}};
    for (const auto& [n, device, source] : cases) {
        SCOPED_TRACE(n);
        EXPECT_EQ(ports.mapping(n).device, device);
        EXPECT_EQ(ports.mapping(n).source, source);
    }
}

TEST_F(ComPortMappingTest, AForbiddenDeviceIsAPermissionFailureThatSaysWhatToDo) {
    // Forbidden itself, or behind a folder that may not be searched.
    WriteFile(home.file("ttyLocked"), "");
    fs::permissions(home.file("ttyLocked"), fs::perms::none);
    fs::create_directories(home.file("closed"));
    WriteFile(home.file("closed/ttyUSB1"), "");
    fs::permissions(home.file("closed"), fs::perms::none);
    home.set("KELVANE_COM1", home.file("ttyLocked"));
    home.set("KELVANE_COM2", home.file("closed/ttyUSB1"));
    home.set("KELVANE_COM3", home.file("no-such-tty"));
    const std::tuple<int, int, std::string> cases[] = {
        {1, ErrorNumber::PermissionDenied, home.file("ttyLocked") + ": Permission denied\r\n"},
        {2, ErrorNumber::PermissionDenied, home.file("closed/ttyUSB1") + ": Permission denied\r\n"},
        {3, ErrorNumber::NoSuchPort, home.file("no-such-tty") + ": No such file or directory"},
    };
    for (const auto& [n, number, reasonHead] : cases) {
        SCOPED_TRACE(n);
        const auto [failure, reason] = failureOf([&, n = n] {
            Unprivileged nobody;
            ports.openablePath(n);
        });
        EXPECT_EQ(failure, number) << reason;
        EXPECT_EQ(reason.substr(0, reasonHead.size()), reasonHead);
        EXPECT_EQ(has(reason, ") and log in again"), number == ErrorNumber::PermissionDenied) << reason;
    }
    fs::permissions(home.file("closed"), fs::perms::owner_all);
}

}  // namespace
