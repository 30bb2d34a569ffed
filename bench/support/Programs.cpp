#include "bench/support/Programs.h"

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <thread>

#include "tests/support/Ser2net.h"

extern char** environ;

namespace {

constexpr double UploadLimitSeconds = 900;

// The first line a program writes on fd, without its end.
std::string firstLine(int fd) {
    std::string line;
    for (char c; ::read(fd, &c, 1) == 1 && c != '\n';) line += c;
    return line;
}

// A pseudo-terminal whose slave stays open here, raw and at the given rate (B0: no
// program holds it, as kelvane-sim's own terminal says).
struct Terminal {
    explicit Terminal(speed_t speed) {
        char name[256];
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
        path = name;
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
        tcsetattr(slave, TCSANOW, &t);
        fcntl(master, F_SETFD, FD_CLOEXEC);
        fcntl(slave, F_SETFD, FD_CLOEXEC);
    }
    ~Terminal() {
        ::close(master);
        ::close(slave);
    }
    int master = -1, slave = -1;
    std::string path;
};

}  // namespace

Workspace::Workspace() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvane-bench.XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
    dir_ = pattern;
}

Workspace::~Workspace() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string Workspace::image(size_t size) {
    const std::string file = path("image-" + std::to_string(size) + ".txt");
    if (std::filesystem::exists(file)) return file;
    const pid_t pid = Start({KELVANE_SIM_BIN, "make-image", file, "--size", std::to_string(size)});
    if (Wait(pid, 60).code != 0) throw std::runtime_error("make-image failed");
    return file;
}

pid_t Start(const std::vector<std::string>& argv, const std::vector<std::string>& env, int in, int out, int err,
            const std::string& folder) {
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        // Unattended, as on a machine without a screen.
        if (entry.rfind("DISPLAY=", 0) == 0 || entry.rfind("WAYLAND_DISPLAY=", 0) == 0 ||
            entry.rfind("QT_QPA_PLATFORM=", 0) == 0)
            continue;
        environment.push_back(entry);
    }
    environment.insert(environment.end(), env.begin(), env.end());
    std::vector<char*> args, envp;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);

    const pid_t pid = fork();
    if (pid == 0) {
        ::dup2(in >= 0 ? in : null, 0);
        ::dup2(out >= 0 ? out : null, 1);
        ::dup2(err >= 0 ? err : null, 2);
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) _exit(127);
        ::execve(args[0], args.data(), envp.data());
        // Not a path: look it up as the shell would.
        ::execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    ::close(null);
    if (pid < 0) throw std::runtime_error("fork failed");
    return pid;
}

Ended Wait(pid_t pid, double limitSeconds) {
    Ended e;
    const auto start = std::chrono::steady_clock::now();
    const auto limit = start + std::chrono::duration<double>(limitSeconds);
    for (;;) {
        int status = 0;
        rusage use{};
        const pid_t done = wait4(pid, &status, WNOHANG, &use);
        if (done == pid) {
            e.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            e.cpuSeconds = double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
                           double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
            e.maxRssKiB = use.ru_maxrss;
            break;
        }
        if (done < 0) break;
        if (std::chrono::steady_clock::now() >= limit) {
            ::kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            e.code = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    e.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return e;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::ifstream fa(a, std::ios::binary), fb(b, std::ios::binary);
    if (!fa || !fb) return false;
    return std::string(std::istreambuf_iterator<char>(fa), {}) == std::string(std::istreambuf_iterator<char>(fb), {});
}

double Fractile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size() - 1) + 0.5));
    return values[index];
}

UploadRun Upload(Workspace& work, const std::string& image, const UploadSetup& setup, const std::string& tag) {
    UploadRun run;
    const std::string received = work.path(tag + "-received.bin");
    int simOut[2];
    if (::pipe2(simOut, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    std::vector<std::string> simArgs = {KELVANE_SIM_BIN, "--start-in-loader", "--loader-baud", "57600", "--received",
                                        received};
    simArgs.insert(simArgs.end(), setup.simSwitches.begin(), setup.simSwitches.end());
    const pid_t sim = Start(simArgs, {}, -1, simOut[1]);
    ::close(simOut[1]);
    const std::string device = firstLine(simOut[0]);
    ::close(simOut[0]);
    if (device.empty()) throw std::runtime_error("kelvane-sim did not start");

    std::string port = device;
    std::unique_ptr<Terminal> host;
    std::unique_ptr<Relay> relay;
    int deviceFd = -1;
    if (setup.relay) {
        deviceFd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (deviceFd < 0) throw std::runtime_error("cannot open " + device);
        host = std::make_unique<Terminal>(B0);
        port = host->path;
        relay = std::make_unique<Relay>(host->master, deviceFd, setup.line);
    }
    pid_t server = -1;
    if (setup.throughSer2net) {
        const int telnetPort = Ser2net::FreePort(), rawPort = Ser2net::FreePort();
        const std::string config = work.path(tag + "-ser2net.yaml");
        std::ofstream(config) << Ser2net::Config(telnetPort, rawPort, port, "57600n81");
        std::vector<std::string> args = Ser2net::Args(config);
        args.insert(args.begin(), Ser2net::Program);
        server = Start(args);
        if (!Ser2net::AwaitListening(telnetPort, rawPort)) throw std::runtime_error("ser2net did not start");
        port = "rfc2217://127.0.0.1:" + std::to_string(telnetPort);
    }
    const pid_t kelvane = Start({KELVANE_BIN, image, "-auto", "-s1"},
                                {"KELVANE_COM1=" + port, "XDG_CONFIG_HOME=" + work.path(tag + "-config")});
    if (relay) {
        relay->watch(kelvane);
        relay->start();
    }
    run.kelvane = Wait(kelvane, UploadLimitSeconds);
    run.endedNs = MonotonicNs();
    if (relay) run.line = relay->stop();
    if (server > 0) {
        ::kill(server, SIGTERM);
        Wait(server, 10);
    }
    ::kill(sim, SIGTERM);  // it writes what it received as it ends
    Wait(sim, 30);
    if (deviceFd >= 0) ::close(deviceFd);
    run.intact = run.kelvane.code == 0 && SameFile(image, received);
    return run;
}

XmodemRun Xmodem(Workspace& work, const std::string& file, const Relay::Options& line, const std::string& tag) {
    XmodemRun run;
    Terminal sender(B57600), receiver(B57600);
    Relay relay(sender.master, receiver.master, line);
    relay.start();
    const std::string folder = work.path(tag);
    std::filesystem::create_directory(folder);
    const pid_t sx = Start({"sx", "-k", "-q", file}, {}, sender.slave, sender.slave);
    // The sender waits for the receiver's first request, which comes as it starts.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const pid_t rx = Start({"rx", "-c", "-q", "received"}, {}, receiver.slave, receiver.slave, -1, folder);
    const Ended got = Wait(rx, UploadLimitSeconds);
    // Once the receiver has confirmed the end, what the sender does is no longer the line's.
    Wait(sx, 5);
    run.line = relay.stop();
    run.intact = got.code == 0 && SameFile(file, folder + "/received");
    return run;
}
