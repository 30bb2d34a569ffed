// kelvane-sim on a real pseudo-terminal, talked to the way a serial port is.
#include <gtest/gtest.h>
#include <termios.h>

#include "Line.h"
#include "Processes.h"
#include "Pty.h"

namespace {

using namespace std::chrono_literals;

// The program's side: a raw 8N1 port at a chosen rate, its settings put back as found
// on close, as a serial port does (the device takes rate 0 for a closed port).
struct Port {
    Port(const std::string& path, speed_t rate) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        tcgetattr(fd, &found);
        termios t = found;
        cfmakeraw(&t);
        cfsetspeed(&t, rate);
        tcsetattr(fd, TCSANOW, &t);
    }
    ~Port() {
        tcsetattr(fd, TCSANOW, &found);
        ::close(fd);
    }
    void write(const std::string& bytes) { EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    std::string read(const std::string& tail, std::chrono::milliseconds limit = 3s) { return ReadUntil(fd, tail, limit); }
    std::string ask(const std::string& bytes, const std::string& tail) {
        write(bytes);
        return read(tail);
    }
    int fd;
    termios found{};
};

}  // namespace

TEST(SimOverPty, TalksOnItsTerminalLosesWhatAClosedPortMissesAndWithOnceOutlastsAReopening) {
    Sim sim({"--delay-ms", "200"});
    ASSERT_EQ(sim.device.rfind("/dev/", 0), 0u) << sim.device;
    {
        Port port(sim.device, B9600);
        EXPECT_EQ(port.ask("~ios!", "IOS>"), "~ios!\r\nIOS>");
        port.write("x");  // the answer comes after the port has closed
    }
    std::this_thread::sleep_for(600ms);
    EXPECT_EQ(Port(sim.device, B9600).read("", 300ms), "");
    sim.stop();
    EXPECT_EQ(sim.wait(5s), 2);  // ended cleanly, no upload

    // After a whole upload --once ends the device by itself, but not while a program that
    // closed the port to change its rate may still open it again.
    Sim once({"--once", "--start-in-loader"});
    {
        Port port(once.device, B9600);
        port.ask("py", "mode.\r\n");
        port.write(std::string(100, 'A'));
        EXPECT_TRUE(has(port.read("IOS>"), "CHECKSUM: "));
    }
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(Port(once.device, B9600).ask("x", "IOS>"), "x\r\nIOS>");
    EXPECT_EQ(once.wait(10s), 0);
}
