#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <atomic>
#include <numeric>
#include <thread>
#include <vector>

#include "HostTest.h"
#include "PacedLine.h"
#include "TemporaryHome.h"
#include "host/QtSerialPort.h"

using namespace std::chrono_literals;

// The port opens the host's end of a paced line as Com 1; the test plays the device.
struct QtSerialPortTest : ::testing::Test {
    QtSerialPortTest() { home.set("KELVANE_COM1", line.path()); }
    QCoreApplication& application = testApplication();  // before the Qt objects below
    TemporaryHome home;
    PacedLine line;
    QtHost host;
    QtSerialPort port;

    // Waits, within a generous bound, for what another thread does.
    template <class Done>
    static bool eventually(Done done) {
        for (int i = 0; i < 3000 && !done(); ++i) std::this_thread::sleep_for(1ms);
        return done();
    }
    // What the device reads until tail while the host does what it does, then runs its event loop.
    template <class Host>
    std::string deviceReads(const std::string& tail, Host hostDoes) {
        std::atomic<bool> done{false};
        std::string arrived;
        std::thread device([&] {
            arrived = ReadUntil(line.device.slave, tail, 5s);
            done = true;
        });
        hostDoes();
        pumpUntil(host, [&] { return done.load(); }, 6000);
        device.join();
        return arrived;
    }
};

TEST_F(QtSerialPortTest, OutputLeavesAtItsRateBeforeThePortClosesOrChangesRate) {
    // More than the line takes at once, then the last command: no event loop runs
    // before the close or the new rate, yet all of it must leave at the old rate.
    const std::string block = std::string(64 * 1024, 'i') + "b";
    line.setDeviceBaud(B921600);
    for (bool closing : {true, false}) {
        SCOPED_TRACE(closing ? "close" : "rate change");
        port.setSettings("921600,n,8,1");
        port.open();
        const std::string arrived = deviceReads("b", [&] {
            port.write(block);
            closing ? port.close() : port.setSettings("460800,n,8,1");
            // Whatever the host still holds goes at the rate the line now knows.
            EXPECT_TRUE(closing || eventually([&] { return line.relay.hostBaud() == 460800; }));
        });
        EXPECT_TRUE(arrived == block) << arrived.size() << " of " << block.size();
        EXPECT_EQ(port.isOpen(), !closing);
        port.close();
    }
    EXPECT_THROW(port.write("x"), HostError);
}

TEST_F(QtSerialPortTest, MissingAndBusyDevicesHaveTheirOwnNumbersAndReasonsNamingTheDevice) {
    port.open();
    // Another name of the same device meets the same lock.
    std::filesystem::create_symlink(line.path(), home.file("ttyLink"));
    home.set("KELVANE_COM2", home.file("ttyLink"));
    WriteFile(home.file("notATerminal"), "");
    home.set("KELVANE_COM4", home.file("notATerminal"));
    const std::tuple<int, int, std::string> cases[] = {
        {2, ErrorNumber::PortInUse, home.file("ttyLink") + " (" + line.path() + "): "},
        {4, ErrorNumber::DeviceIoError, home.file("notATerminal") + ": "},
    };
    QtSerialPort second;
    for (const auto& [n, number, reasonHead] : cases) {
        second.choosePort(n);
        const auto [failure, reason] = failureOf([&] { second.open(); });
        EXPECT_EQ(failure, number) << n;
        // The reason goes on after the device's name.
        EXPECT_GT(reason.size(), reasonHead.size()) << reason;
        EXPECT_EQ(reason.substr(0, reasonHead.size()), reasonHead);
        EXPECT_FALSE(second.isOpen());
    }
}

TEST_F(QtSerialPortTest, EveryByteValuePassesBothWaysAtTheRateSetStaleInputIsDroppedAndALostLineFailsOneRead) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += char(i);
    std::vector<std::string> reads;
    int chunk = 1, failures = 0;  // one at a time first: the rest must be raised again
    port.setReceiveHandler([&] {
        try {
            reads.push_back(port.read(chunk));
        } catch (const HostError&) {
            ++failures;
        }
    });
    port.choosePort(1);
    // Refused as they are set, not only once a port takes them.
    for (const char* bad : {"57600,x,8,1", "0,n,8,1", "9600,n,9,1", "9600,n,8,3", "9600,n,8"})
        EXPECT_EQ(errorOf([&] { port.setSettings(bad); }), 380) << bad;
    port.setSettings("19200,n,8,1");
    // An answer to something sent before the port opened answers nothing sent after.
    ASSERT_EQ(::write(line.device.slave, "stale", 5), 5);
    ASSERT_TRUE(eventually([&] {
        int queued = 0;
        return ::ioctl(line.host.slave, FIONREAD, &queued) == 0 && queued == 5;
    }));
    line.setDeviceBaud(B19200);
    port.open();

    EXPECT_EQ(deviceReads(all, [&] { port.write(all); }), all);
    ASSERT_EQ(::write(line.device.slave, all.data(), all.size()), 256);
    EXPECT_TRUE(pumpUntil(host, [&] { return reads.size() >= 256; }));
    EXPECT_EQ(std::accumulate(reads.begin(), reads.end(), std::string()), all);

    // The line goes away.
    Pty pty;
    home.set("KELVANE_COM2", pty.path);
    port.close();
    port.choosePort(2);
    port.open();
    reads.clear();
    chunk = 0;  // all that is there
    ASSERT_EQ(::write(pty.master, "abc", 3), 3);
    ASSERT_TRUE(pumpUntil(host, [&] { return !reads.empty(); }));
    EXPECT_EQ(reads.front(), "abc");
    pty.hangUp();
    EXPECT_TRUE(pumpUntil(host, [&] { return failures > 0; }));
    for (int i = 0; i < 20; ++i) host.yield();
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.read(0), "");
}
