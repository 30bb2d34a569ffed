#pragma once

#include <cstdint>
#include <string>

class Engine;

// One probe of the CPU at one baud rate, classified into a state token.
class CpuDetection {
public:
    explicit CpuDetection(Engine& k) : k_(k) {}

    void DetectCpuState(std::string& state, int16_t& index);

private:
    Engine& k_;
};
