#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

// Switches of the emulated enclosure CPU: how it is set up, and the faults a real
// line and a real device show.
struct EnclosureConfig {
    enum class Challenge { None, Plain, MVariant };

    // Where the CPU is at power-up.
    bool startInLoader = false;
    // The application answers the probe with its "OS> " prompt; otherwise it only echoes "X".
    bool appPrompt = true;
    // The loader's stored baud rate.
    int loaderBaud = 9600;
    // The loader shows a key challenge instead of its prompt until it is answered.
    Challenge challenge = Challenge::None;
    // The loader asks "key: " after "ey" / after "py".
    bool keyPromptOnEy = false;
    bool keyPromptOnPy = false;
    // A 0xFF byte while the loader starts after "~ios!".
    bool sendFFOnRestart = false;

    // Faults.
    bool silent = false;             // answers nothing at all
    bool garbage = false;            // answers with garbage instead of its texts
    bool rejectKey = false;          // no unlock word is accepted
    int dropAckAtChunk = -1;         // the acknowledgement of chunk k (from 0) never comes
    int lateAckAtChunk = -1;         // the acknowledgement of chunk k comes late ...
    int64_t lateAckUs = 4000000;     // ... by this long
    bool wrongChecksum = false;      // reports a checksum other than that of what it received
    int64_t disconnectAfterBytes = -1;  // the line goes away after this many bytes from the host
    int64_t answerDelayUs = 0;       // every answer starts this much later
    bool pace = false;               // characters take their real time on the line (10 bits each)
};

// The CPU at the far end of the line: bytes in, bytes out, in time. Plain C++, so the
// same model serves a pseudo-terminal in real time and the engine tests in virtual
// time. Times are microseconds on the caller's clock and never go backwards.
class Enclosure {
public:
    explicit Enclosure(EnclosureConfig config = {});
    ~Enclosure();
    Enclosure(const Enclosure&) = delete;
    Enclosure& operator=(const Enclosure&) = delete;

    // The rate the host's side of the line runs at. Bytes in either direction at a rate
    // other than the device's current one arrive as garbage, or not at all.
    void setHostBaud(int baud, int64_t nowUs);
    // Bytes the host wrote, reaching the device from nowUs on.
    void fromHost(const std::string& bytes, int64_t nowUs);
    // Runs the device up to nowUs and returns the bytes that have reached the host by then.
    std::string toHost(int64_t nowUs);
    // When the device next does something on its own (an answer due, a time-out), or
    // max() when it only waits for the host.
    int64_t nextEventUs() const;
    // False once the line has gone away (the disconnect fault).
    bool lineUp() const;

    // What the device was sent as its image, byte for byte, and what it reported.
    const std::string& receivedImage() const;
    bool uploadComplete() const;
    std::string reportedChecksum() const;
    // The checksum the device reports for an image whose bytes it received intact.
    static std::string checksumOf(const std::string& image);
    // Everything the host sent, for tests that look at the dialogue.
    const std::string& hostBytes() const;
    // The device's current rate and whether its loader runs.
    int deviceBaud() const;
    bool inLoader() const;

    static constexpr int64_t Never = std::numeric_limits<int64_t>::max();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
