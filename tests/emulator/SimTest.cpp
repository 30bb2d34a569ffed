// kelvane-sim on a real pseudo-terminal, talked to the way a serial port is.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// kelvane-sim, with its standard output on a pipe.
struct Sim {
    explicit Sim(std::vector<std::string> args) {
        args.insert(args.begin(), KELVANE_SIM_BIN);
        int out[2];
        EXPECT_EQ(pipe(out), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        stdoutFd = out[0];
    }
    ~Sim() {
        if (wait(0ms) < 0) {
            kill(pid, SIGKILL);
            wait(5s);
        }
        close(stdoutFd);
    }
    std::string line() {
        std::string text;
        for (char c; ::read(stdoutFd, &c, 1) == 1 && c != '\n';) text.push_back(c);
        return text;
    }
    // The exit code, or -1 while it runs.
    int wait(std::chrono::milliseconds limit) {
        for (const auto end = Clock::now() + limit;; std::this_thread::sleep_for(10ms)) {
            int status = 0;
            if (code < 0 && waitpid(pid, &status, WNOHANG) == pid) code = WIFEXITED(status) ? WEXITSTATUS(status) : 99;
            if (code >= 0 || Clock::now() >= end) return code;
        }
    }
    pid_t pid = -1;
    int stdoutFd = -1;
    int code = -1;
};

// The program's side: a raw 8N1 port at a chosen rate, put back as found on close.
struct Port {
    explicit Port(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        tcgetattr(fd, &found);
    }
    ~Port() {
        tcsetattr(fd, TCSANOW, &found);
        ::close(fd);
    }
    void setBaud(speed_t rate) {
        termios t = found;
        cfmakeraw(&t);
        cfsetspeed(&t, rate);
        tcsetattr(fd, TCSANOW, &t);
    }
    void write(const std::string& bytes) { EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // What arrives until it ends with tail, or (without one) until the time is up.
    std::string read(const std::string& tail, std::chrono::milliseconds limit = 3s) {
        std::string got;
        for (const auto end = Clock::now() + limit; Clock::now() < end;) {
            pollfd p{fd, POLLIN, 0};
            char buffer[4096];
            if (poll(&p, 1, 10) > 0)
                if (const ssize_t n = ::read(fd, buffer, sizeof buffer); n > 0) got.append(buffer, size_t(n));
            if (!tail.empty() && got.size() >= tail.size() && got.compare(got.size() - tail.size(), tail.size(), tail) == 0)
                break;
        }
        return got;
    }
    int fd;
    termios found{};
};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

}  // namespace

TEST(SimOverPty, TalksLikeTheCpuFollowsTheHostsRateAndLosesWhatAClosedPortMisses) {
    Sim sim({"--delay-ms", "200"});
    const std::string path = sim.line();
    ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;
    {
        Port port(path);
        ASSERT_GE(port.fd, 0);
        port.setBaud(B9600);
        port.write("X\r\n");
        EXPECT_EQ(port.read("OS> "), "X\r\nOS> ");
        port.write("~ios!");
        EXPECT_EQ(port.read("IOS>"), "~ios!\r\nIOS>");
        port.write("Sy57600\r\n");
        EXPECT_NE(port.read("IOS>").find("57600"), std::string::npos);
        port.write("b");
        EXPECT_EQ(port.read("b"), "b");
        port.setBaud(B57600);
        EXPECT_EQ(port.read("IOS>"), "\r\nIOS>");
        port.write("x");  // the answer comes after the port has closed
    }
    std::this_thread::sleep_for(600ms);
    Port again(path);
    again.setBaud(B57600);
    EXPECT_EQ(again.read("", 300ms), "");
    kill(sim.pid, SIGTERM);
    EXPECT_EQ(sim.wait(5s), 2);  // ended cleanly, no upload
}

TEST(SimOverPty, OnceEndsAfterAnUploadAndTellsWhetherItArrivedIntact) {
    const std::string base = ::testing::TempDir() + "kelvane-sim-" + std::to_string(getpid());
    const std::string imagePath = base + "-image.txt", receivedPath = base + "-received.txt";
    Sim maker({"make-image", imagePath, "--size", "2500", "--all-bytes"});
    const std::string declared = maker.line();
    ASSERT_EQ(maker.wait(5s), 0);
    const std::string image = readFile(imagePath);
    ASSERT_EQ(image.size(), 2500u);
    ASSERT_NE(image.find(" checksum: " + declared + "\r\n"), std::string::npos);

    for (bool corrupt : {false, true}) {
        Sim sim({"--start-in-loader", "--loader-baud", "57600", "--once", "--expect", imagePath, "--received",
                 receivedPath});
        {
            Port port(sim.line());
            port.setBaud(B57600);
            port.write("py");
            ASSERT_NE(port.read("mode.\r\n"), "");
            std::string sent = image;
            if (corrupt) sent[2000] ^= 1;
            for (size_t at = 0; at < sent.size(); at += 1024) {
                port.write(sent.substr(at, 1024));
                EXPECT_EQ(port.read("\xAE "), "\xAE ");
            }
            const std::string report = port.read("IOS>");
            EXPECT_EQ(report.find("CHECKSUM: " + declared) != std::string::npos, !corrupt) << report;
            EXPECT_EQ(sim.wait(0ms), -1);  // --once waits for a quiet line
        }
        EXPECT_EQ(sim.wait(10s), corrupt ? 1 : 0);
        EXPECT_EQ(readFile(receivedPath).size(), image.size());
        EXPECT_EQ(readFile(receivedPath) == image, !corrupt);
    }
    std::remove(imagePath.c_str());
    std::remove(receivedPath.c_str());
}
