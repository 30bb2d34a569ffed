#pragma once

class Engine;

// Reads the loader's checksum report and restarts the CPU into its application.
class ChecksumReadback {
public:
    explicit ChecksumReadback(Engine& k) : k_(k) {}

    void ReadBackChecksum();
    void RestartToApp();

private:
    Engine& k_;
};
