#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "relay/Relay.h"

// The programs a benchmark runs: kelvane, kelvane-sim and lrzsz's sx and rx, each in a
// folder of its own that is removed at the end.
class Workspace {
public:
    Workspace();
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;
    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    // An encoded image of size bytes, written once.
    std::string image(size_t size);

private:
    std::string dir_;
};

struct Ended {
    int code = -1;  // the exit code, 128 + the signal, or -1 while it ran past its limit
    double wallSeconds = 0;
    double cpuSeconds = 0;
    long maxRssKiB = 0;
};

// Starts a program with the given standard input, output and error (-1: /dev/null),
// in folder (empty: here), with the environment's display variables removed.
pid_t Start(const std::vector<std::string>& argv, const std::vector<std::string>& env = {}, int in = -1, int out = -1,
            int err = -1, const std::string& folder = {});
// Waits for it; past limitSeconds it is killed.
Ended Wait(pid_t pid, double limitSeconds);

struct UploadRun {
    Ended kelvane;
    int64_t endedNs = 0;  // when kelvane had ended
    bool intact = false;  // exit code 0 and the device received the file byte for byte
    Relay::Figures line;
};

struct UploadSetup {
    bool relay = true;
    Relay::Options line;
    std::vector<std::string> simSwitches;  // beyond those that put its loader at 57600
    // The host reaches the relay's terminal through ser2net's RFC 2217 accepter on loopback.
    bool throughSer2net = false;
};

// kelvane -auto uploading image to kelvane-sim, through a relay or straight to it.
UploadRun Upload(Workspace& work, const std::string& image, const UploadSetup& setup, const std::string& tag);

struct XmodemRun {
    bool intact = false;
    Relay::Figures line;
};

// sx -k sending file to rx -c through a relay.
XmodemRun Xmodem(Workspace& work, const std::string& file, const Relay::Options& line, const std::string& tag);

bool SameFile(const std::string& a, const std::string& b);

// The median and other fractiles of a set of figures.
double Fractile(std::vector<double> values, double fraction);
