#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

#include "TemporaryHome.h"
#include "app/HostError.h"
#include "host/QtHost.h"
#include "host/QtSerialPort.h"

QCoreApplication& testApplication();

namespace {

// A pseudo-terminal whose far end the test plays: the port opens the slave, the test
// reads and writes the master.
struct Pty {
    Pty() {
        char name[256];
        EXPECT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        path = name;
    }
    ~Pty() {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
    }
    speed_t speed() const {
        termios t{};
        tcgetattr(slave, &t);
        return cfgetospeed(&t);
    }
    std::string readMaster(size_t want) {
        std::string got;
        pollfd p{master, POLLIN, 0};
        while (got.size() < want && poll(&p, 1, 2000) > 0) {
            char buf[512];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, size_t(n));
        }
        return got;
    }
    void writeMaster(const std::string& bytes) {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

    int master = -1, slave = -1;
    std::string path;
};

std::string allBytes() {
    std::string s;
    for (int i = 0; i < 256; ++i) s += char(i);
    return s;
}

// Yields until done holds (or a generous bound passes, so a fault fails, not hangs).
template <class Done>
bool pumpUntil(QtHost& host, Done done) {
    QElapsedTimer guard;
    guard.start();
    while (!done() && guard.elapsed() < 3000) host.yield();
    return done();
}

int errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const HostError& e) {
        return e.number();
    }
    return 0;
}

struct QtSerialPortTest : ::testing::Test {
    QtSerialPortTest() {
        testApplication();
        home.set("KELVANE_COM1", QString::fromStdString(pty.path));
    }
    TemporaryHome home;
    Pty pty;
    QtHost host;
};

TEST_F(QtSerialPortTest, RateChangesReachTheDeviceAndEveryByteValuePassesBothWays) {
    QtSerialPort port;
    std::string received;
    int notifications = 0;
    port.setReceiveHandler([&] {
        ++notifications;
        received += port.read(1);  // one at a time: the rest must be raised again
    });
    port.setSettings("19200,n,8,1");
    port.choosePort(1);
    port.open();
    EXPECT_EQ(pty.speed(), speed_t(B19200));
    port.setSettings("57600,n,8,1");
    EXPECT_EQ(pty.speed(), speed_t(B57600));
    EXPECT_EQ(errorOf([&] { port.setSettings("57600,x,8,1"); }), 380);

    port.write(allBytes());
    EXPECT_EQ(pty.readMaster(256), allBytes());
    pty.writeMaster(allBytes());
    EXPECT_TRUE(pumpUntil(host, [&] { return received.size() >= 256; }));
    EXPECT_EQ(received, allBytes());
    EXPECT_GE(notifications, 256);
}

TEST_F(QtSerialPortTest, OutputLeavesForTheLineBeforeThePortCloses) {
    QtSerialPort port;
    port.open();
    // More than the line takes at once, then the last command: no event loop runs
    // before the close, yet all of it must reach the device.
    const std::string block = std::string(64 * 1024, 'i') + "b";
    std::string arrived;
    std::thread device([&] { arrived = pty.readMaster(block.size()); });
    port.write(block);
    port.close();
    device.join();
    EXPECT_TRUE(arrived == block) << arrived.size() << " of " << block.size();
    EXPECT_THROW(port.write("x"), HostError);
}

TEST_F(QtSerialPortTest, MissingAndBusyDevicesHaveTheirOwnNumbers) {
    QtSerialPort first, second;
    first.open();
    // Another name of the same device meets the same lock.
    const QString link = home.root() + QStringLiteral("/ttyLink");
    ASSERT_TRUE(QFile::link(QString::fromStdString(pty.path), link));
    home.set("KELVANE_COM2", link);
    second.choosePort(2);
    EXPECT_EQ(errorOf([&] { second.open(); }), ErrorNumber::PortInUse);
    EXPECT_FALSE(second.isOpen());

    home.set("KELVANE_COM3", home.root() + QStringLiteral("/no-such-tty"));
    second.choosePort(3);
    EXPECT_EQ(errorOf([&] { second.open(); }), ErrorNumber::NoSuchPort);
}

TEST_F(QtSerialPortTest, LineThatGoesAwayClosesThePortAndFailsTheNextRead) {
    QtSerialPort port;
    int failures = 0;
    std::string received;
    port.setReceiveHandler([&] {
        try {
            received += port.read(0);
        } catch (const HostError&) {
            ++failures;
        }
    });
    port.open();
    pty.writeMaster("abc");
    ASSERT_TRUE(pumpUntil(host, [&] { return received == "abc"; }));
    ::close(pty.master);
    ::close(pty.slave);
    pty.master = pty.slave = -1;
    EXPECT_TRUE(pumpUntil(host, [&] { return failures > 0; }));
    for (int i = 0; i < 20; ++i) host.yield();
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.read(0), "");
}

}  // namespace
