#pragma once

#include <string>

class Engine;

// Sends a CPU running its application into its loader.
class IosEntry {
public:
    explicit IosEntry(Engine& k) : k_(k) {}

    // How long a restarting CPU is given to show its loader.
    static constexpr int LoaderStartSeconds = 10;

    void EnterIos();

    // The loader runs at 57600 in this upload (the negotiation has moved it there).
    static bool LoaderAt57600(const std::string& iosBaud);

private:
    Engine& k_;
};
