#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

// A started program, in this process's environment or the one given, with standard input
// from /dev/null, standard output on a pipe and standard error into a file (or onto errFd,
// such as a terminal). Killed if it still runs at the end.
class Child {
public:
    static constexpr int Running = -1;

    Child(const std::string& program, std::vector<std::string> args, const std::string& errPath = "/dev/null",
          int errFd = -1, std::vector<std::string> environment = {}) {
        args.insert(args.begin(), program);
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) {
            code_ = 127;
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        if (errFd >= 0)
            posix_spawn_file_actions_adddup2(&actions, errFd, 2);
        else
            posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& e : environment) envp.push_back(e.data());
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environment.empty() ? environ : envp.data()) != 0)
            code_ = 127;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        out_ = out[0];
    }
    ~Child() {
        if (wait(std::chrono::milliseconds(0)) == Running) {
            ::kill(pid_, SIGKILL);
            wait(std::chrono::seconds(5));
        }
        ::close(out_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The next line of its output, without the line end; empty once it has ended.
    std::string line() {
        std::string text;
        for (char c; ::read(out_, &c, 1) == 1 && c != '\n';) text.push_back(c);
        return text;
    }
    // The rest of its output, up to its end.
    std::string output() {
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = ::read(out_, buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
        return text;
    }
    // Its exit code (128 + the signal that ended it), or Running if it runs on after limit.
    int wait(std::chrono::milliseconds limit) {
        for (const auto end = std::chrono::steady_clock::now() + limit; code_ == Running;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_)
                code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            else if (std::chrono::steady_clock::now() >= end)
                break;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return code_;
    }
    void stop() {
        if (wait(std::chrono::milliseconds(0)) == Running) ::kill(pid_, SIGTERM);
    }
    void signal(int number) { if (wait(std::chrono::milliseconds(0)) == Running) ::kill(pid_, number); }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int code_ = Running;
};

// kelvane-sim serving the emulated CPU on a pseudo-terminal, whose path it names first.
struct Sim : Child {
    explicit Sim(std::vector<std::string> switches, const std::string& tracePath = "/dev/null")
        : Child(KELVANE_SIM_BIN, std::move(switches), tracePath), device(line()) {}
    const std::string device;
};
