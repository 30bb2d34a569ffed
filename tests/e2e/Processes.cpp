#include "Processes.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    path_ = (fs::temp_directory_path() / ("kelvane-e2e-" + std::to_string(::getpid()) + "-" +
                                          std::to_string(counter++)))
                .string();
    fs::remove_all(path_);
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

bool FileExists(const std::string& path) { return fs::exists(path); }

Child::Child(const Options& o) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, o.stdoutPath.empty() ? "/dev/null" : o.stdoutPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o.stderrFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, o.stderrFd, 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, o.stderrPath.empty() ? "/dev/null" : o.stderrPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);

    std::vector<char*> argv;
    for (const std::string& a : o.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envText;
    for (const auto& [name, value] : o.env) envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);

    const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + o.args[0]);
}

Child::~Child() {
    if (running()) {
        ::kill(pid_, SIGKILL);
        wait(std::chrono::seconds(5));
    }
}

bool Child::running() {
    if (status_ != -1 || pid_ <= 0) return false;
    int st = 0;
    const pid_t r = ::waitpid(pid_, &st, WNOHANG);
    if (r == 0) return true;
    status_ = r == pid_ ? st : 0;
    return false;
}

int Child::wait(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (running()) {
        if (std::chrono::steady_clock::now() >= end) {
            ::kill(pid_, SIGKILL);
            int st = 0;
            ::waitpid(pid_, &st, 0);
            status_ = st;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (WIFEXITED(status_)) return WEXITSTATUS(status_);
    if (WIFSIGNALED(status_)) return 128 + WTERMSIG(status_);
    return -1;
}

void Child::terminate() {
    if (running()) ::kill(pid_, SIGTERM);
}

namespace {
std::map<std::string, std::string> BaseEnvironment(const TempFolder& folder) {
    std::map<std::string, std::string> env;
    for (const char* name : {"PATH", "LANG", "LC_ALL", "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* value = std::getenv(name)) env[name] = value;
    env["HOME"] = folder.path();
    env["XDG_CONFIG_HOME"] = folder.file("config");
    env["XDG_RUNTIME_DIR"] = folder.path();
    return env;
}
}  // namespace

Sim::Sim(const TempFolder& folder, std::vector<std::string> switches)
    : outPath_(folder.file("sim-out.txt")), errPath_(folder.file("sim-err.txt")), receivedPath_(folder.file("received.bin")) {
    Child::Options o;
    o.args = {KELVANE_SIM_BIN, "--trace", "--received", receivedPath_};
    o.args.insert(o.args.end(), switches.begin(), switches.end());
    o.env = BaseEnvironment(folder);
    o.stdoutPath = outPath_;
    o.stderrPath = errPath_;
    child_ = std::make_unique<Child>(o);
    // Its first line names the pseudo-terminal.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
        const std::string out = ReadFile(outPath_);
        const auto eol = out.find('\n');
        if (eol != std::string::npos) {
            device_ = out.substr(0, eol);
            return;
        }
        if (!child_->running()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    throw std::runtime_error("kelvane-sim did not name its device: " + ReadFile(errPath_));
}

Sim::~Sim() { stop(); }

int Sim::stop() {
    child_->terminate();
    return child_->wait(std::chrono::seconds(10));
}

KelvaneRun RunKelvane(const TempFolder& folder, const std::string& device, const std::vector<std::string>& args,
                      std::chrono::milliseconds limit, int stderrFd) {
    Child::Options o;
    o.args = {KELVANE_BIN};
    o.args.insert(o.args.end(), args.begin(), args.end());
    o.env = BaseEnvironment(folder);
    if (!device.empty()) o.env["KELVANE_COM1"] = device;
    o.stdoutPath = folder.file("kelvane-out.txt");
    o.stderrPath = folder.file("kelvane-err.txt");
    o.stderrFd = stderrFd;
    Child child(o);
    KelvaneRun run;
    run.exitCode = child.wait(limit);
    run.out = ReadFile(o.stdoutPath);
    run.err = stderrFd >= 0 ? std::string() : ReadFile(o.stderrPath);
    return run;
}

std::string MakeImage(const TempFolder& folder, const std::string& name, std::vector<std::string> switches) {
    Child::Options o;
    o.args = {KELVANE_SIM_BIN, "make-image", folder.file(name)};
    o.args.insert(o.args.end(), switches.begin(), switches.end());
    o.env = BaseEnvironment(folder);
    o.stderrPath = folder.file("make-image-err.txt");
    Child child(o);
    if (child.wait(std::chrono::seconds(20)) != 0)
        throw std::runtime_error("make-image failed: " + ReadFile(o.stderrPath));
    return ReadFile(folder.file(name));
}
