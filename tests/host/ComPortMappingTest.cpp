#include <gtest/gtest.h>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "HostTest.h"
#include "TemporaryHome.h"
#include "host/ComPortMapping.h"
#include "host/QtSettingsStore.h"

namespace {

namespace fs = std::filesystem;
using Source = ComPortMapping::Source;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
QString q(const std::string& s) { return QString::fromStdString(s); }

// Port mappings in a home of their own, over a device list the test makes up: device
// nodes are plain files here, and their stable names links to them.
struct ComPortMappingTest : ::testing::Test {
    ComPortMappingTest() {
        for (int n = 1; n <= 9; ++n) home.unset(("KELVANE_COM" + std::to_string(n)).c_str());
        fs::create_directories(home.file("by-id"));
        for (const char* node : {"ttyUSB0", "ttyACM0"}) WriteFile(home.file(node), "");
        fs::create_symlink("../ttyUSB0", home.file("by-id/usb-FTDI_FT232R_A10K-if00-port0"));
        devices = ComPortMapping::withStableNames(
            {{q(home.file("ttyUSB0")), "FT232R USB UART", "FTDI", "A10K", 0x0403, 0x6001, {}},
             {q(home.file("ttyACM0")), {}, {}, {}, {}, {}, {}}},
            q(home.file("by-id")));
    }
    QString stored(int n) {
        const auto value = QtSettingsStore().read("Software\\ZQ Technologies\\Utility\\Kelvane\\Ports",
                                                  "Com" + std::to_string(n));
        return value ? q(value->text) : QString();
    }

    TemporaryHome home;
    QList<SerialDevice> devices;
    QtSettingsStore settings;  // after the home, whose configuration folder it uses
    ComPortMapping ports{settings, [this] { return devices; }};
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

TEST_F(ComPortMappingTest, AnAssignmentPrefersTheStableNameIsStoredShownWhileThereAndCanBeCleared) {
    ASSERT_EQ(devices[0].stablePath, q(home.file("by-id/usb-FTDI_FT232R_A10K-if00-port0")));
    ASSERT_TRUE(devices[1].stablePath.isEmpty());

    EXPECT_TRUE(ports.assign(1, devices[0]));
    EXPECT_TRUE(ports.assign(4, devices[1]));
    EXPECT_EQ(stored(1), devices[0].stablePath);
    EXPECT_EQ(stored(4), devices[1].path);
    // The stable name leads to the listed node, so the adapter is recognised behind it.
    EXPECT_EQ(ports.describe(1), devices[0].stablePath + " (" + devices[0].path +
                                     "): FT232R USB UART, FTDI, serial number A10K");
    EXPECT_EQ(ports.presence(4), "present");
    // Unplugged: the node and its stable name go, whether or not the list is read again.
    fs::remove(home.file("by-id/usb-FTDI_FT232R_A10K-if00-port0"));
    fs::remove(home.file("ttyUSB0"));
    EXPECT_EQ(ports.describe(1), devices[0].stablePath + ": not present");

    EXPECT_TRUE(ports.clear(1));
    EXPECT_EQ(ports.mapping(1).device, "/dev/ttyS0");
    EXPECT_EQ(ports.mapping(1).source, Source::Default);

    // What the environment decides is not changed here.
    home.set("KELVANE_COM4", "/dev/pts/9");
    EXPECT_FALSE(ports.assign(4, devices[0]));
    EXPECT_FALSE(ports.clear(4));
    EXPECT_EQ(stored(4), devices[1].path);
}

// The number and reason a call fails with for a user without privileges. Root may do
// anything, so as root the call runs in a child process that has become nobody.
std::pair<int, std::string> failureAsUnprivileged(const std::function<void()>& call) {
    int out[2];
    if (::pipe(out) != 0) return {-1, "no pipe"};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(out[0]);
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        std::string result = "0\n";
        try {
            call();
        } catch (const HostError& e) {
            result = std::to_string(e.number()) + "\n" + e.reason();
        }
        ssize_t ignored = ::write(out[1], result.data(), result.size());
        (void)ignored;
        ::_exit(0);
    }
    ::close(out[1]);
    std::string result;
    char buffer[512];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) result.append(buffer, size_t(n));
    ::close(out[0]);
    ::waitpid(child, nullptr, 0);
    const auto end = result.find('\n');
    if (end == std::string::npos) return {-1, "the child failed"};
    return {std::stoi(result.substr(0, end)), result.substr(end + 1)};
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
        const auto [failure, reason] = failureAsUnprivileged([&, n = n] { ports.openablePath(n); });
        EXPECT_EQ(failure, number) << reason;
        EXPECT_EQ(reason.substr(0, reasonHead.size()), reasonHead);
        EXPECT_EQ(has(reason, ") and log in again"), number == ErrorNumber::PermissionDenied) << reason;
    }
    fs::permissions(home.file("closed"), fs::perms::owner_all);
}

}  // namespace
