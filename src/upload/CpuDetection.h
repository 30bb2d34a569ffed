#pragma once

#include <cstdint>
#include <string>

class Engine;

// What one probe found; the upload acts on these, compared exactly.
namespace CpuState {
constexpr const char* InIos = "InIOS";            // a prompt at 9600, 19200 or 38400
constexpr const char* InIos57600 = "inios57600";  // a prompt at 57600
constexpr const char* SendIos = "sendios";        // the application echoed the probe
constexpr const char* NoResponse = "NoResponse";  // not a single character came back
constexpr const char* DontKnow = "IDontKnow";     // something neither echo nor prompt
constexpr const char* StopNow = "stopnow1";       // the stop button was pressed meanwhile
}  // namespace CpuState

// One probe of the CPU at one baud rate, classified into a state token.
class CpuDetection {
public:
    explicit CpuDetection(Engine& k) : k_(k) {}

    void DetectCpuState(std::string& state, int16_t& index);

private:
    Engine& k_;
};
