#pragma once

#include <cstdint>

class Engine;

// Reads the loader's checksum report and restarts the CPU into its application.
class ChecksumReadback {
public:
    explicit ChecksumReadback(Engine& k) : k_(k) {}

    // Where the loader's report may begin: what the pane holds up to now (the loader's
    // earlier answers, which may name the checksum of the application it erased) is never
    // read as the report of the image just sent.
    void MarkImageEnd();
    void ReadBackChecksum();
    void RestartToApp();

private:
    Engine& k_;
    // A position in the pane counted as if it had never been trimmed.
    int64_t reportFrom_ = 0;
};
