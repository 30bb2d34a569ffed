#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

// A folder of its own for one test, removed with everything in it afterwards. Its
// name is all lower case: the program lower-cases an output file's name.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// A started program. Standard input is /dev/null; standard output and error go to
// the given files (or descriptors).
class Child {
public:
    struct Options {
        std::vector<std::string> args;  // args[0] is the program
        std::map<std::string, std::string> env;
        std::string stdoutPath;
        std::string stderrPath;
        int stderrFd = -1;  // used instead of stderrPath when set
    };
    explicit Child(const Options& options);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The exit code, or -1 when it had not ended in time (it is then killed) or
    // 128 + the signal that ended it.
    int wait(std::chrono::milliseconds limit);
    bool running();
    void terminate();

private:
    pid_t pid_ = -1;
    int status_ = -1;
};

// kelvane-sim serving the emulated enclosure on a pseudo-terminal.
class Sim {
public:
    Sim(const TempFolder& folder, std::vector<std::string> switches);
    ~Sim();

    const std::string& device() const { return device_; }
    // What the device received as its image.
    std::string received() const { return ReadFile(receivedPath_); }
    // Stops it and returns its exit code.
    int stop();
    // The dialogue as --trace prints it: one line per burst, "host" or "cpu" and the
    // bytes with escapes.
    std::string trace() const { return ReadFile(errPath_); }

private:
    std::string outPath_, errPath_, receivedPath_, device_;
    std::unique_ptr<Child> child_;
};

// kelvane run to its end against a device, in its own home, without a display.
struct KelvaneRun {
    int exitCode = -1;
    std::string out, err;
};
KelvaneRun RunKelvane(const TempFolder& folder, const std::string& device, const std::vector<std::string>& args,
                      std::chrono::milliseconds limit = std::chrono::seconds(90), int stderrFd = -1);

// An image file written by kelvane-sim make-image; returns its bytes.
std::string MakeImage(const TempFolder& folder, const std::string& name, std::vector<std::string> switches);
