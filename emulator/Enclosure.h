#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

// Switches of the emulated enclosure CPU: how it is set up, and the faults a real
// line and a real device show.
struct EnclosureConfig {
    enum class Challenge { None, Plain, MVariant, MThenPlain };
    // How the loader writes its checksum report.
    enum class ChecksumLine { Normal, LowerCase, NoBlank, Long, Missing };

    // Where the CPU is at power-up: its application (9600 baud) or its loader (at
    // loaderBaud).
    bool startInLoader = false;
    // The application has a console with its "OS> " prompt; otherwise it only echoes
    // what it is sent (never a line end), shows no prompt and takes no commands.
    bool appPrompt = true;
    // The loader's stored baud rate, the rate it starts at; "Sy<rate>" CR changes it.
    int loaderBaud = 9600;
    // The loader shows a key challenge (its unlock word, or the "m" variant, and the
    // colon) instead of its prompt each time it starts, until the word is typed back.
    // MThenPlain: the "m" challenge, and once that is answered the plain one.
    Challenge challenge = Challenge::None;
    // The loader asks "key: " after "ey" / after "py" and wants the unlock word + CR.
    bool keyPromptOnEy = false;
    bool keyPromptOnPy = false;
    // A 0xFF byte at 9600 baud while the CPU resets into its loader after "~ios!".
    bool sendFFOnRestart = false;

    // Faults.
    bool silent = false;             // answers nothing at all (it still acts on commands)
    bool garbage = false;            // every answer comes out as garbage of the same length
    bool rejectKey = false;          // no unlock word is accepted, at a challenge or "key: "
    int dropAckAtChunk = -1;         // the acknowledgement of chunk k (from 0) never comes
    int lateAckAtChunk = -1;         // the acknowledgement of chunk k comes late ...
    int64_t lateAckUs = 4000000;     // ... by this long
    bool wrongChecksum = false;      // reports a checksum other than that of what it received
    int64_t disconnectAfterBytes = -1;  // the line goes away once this many bytes have arrived
    int64_t answerDelayUs = 0;       // every answer starts this much later
    bool pace = false;               // characters take their real time on the line (10 bits each)
    // The application restarts on "~ios!" but comes back as itself, never its loader.
    bool ignoreEnterLoader = false;
    int64_t keyPromptDelayUs = 0;    // "key: " comes this much later
    int64_t eraseUs = 400000;        // how long erasing the application block takes
    // How long the loader sums a received image before its report, and how long a new
    // application takes to come up after the loader restarts into it: a real device
    // may take nearly as long as the host waits for either.
    int64_t sumUs = 100000;
    int64_t appStartUs = 300000;
    int unsolicitedAtChunk = -1;     // after answering chunk k the loader prints a line of its own
    ChecksumLine checksumLine = ChecksumLine::Normal;
    bool protocolGarbage = false;    // garbage made of the dialogue's own characters (X x > . 0xAE 0xFF)
    int64_t floodChars = 0;          // the checksum report runs on this long without a line end
    bool trickle = false;            // answers reach the host one character at a time
    // A line of its own in the loader's erase answer, before it says it is erased (such
    // as the checksum of the application it erases: "Old application CHECKSUM: 1A2B3C4D").
    std::string eraseText;
    int64_t flipByte = -1;           // byte N of the image (from 0) is taken with its lowest bit flipped
    bool hangUpBeforeReport = false; // the line goes away while the loader sums the image
};

// The CPU at the far end of the line: bytes in, bytes out, in time. Plain C++, so the
// same model serves a pseudo-terminal in real time and the engine tests in virtual
// time. Times are microseconds on the caller's clock and never go backwards.
//
// The application echoes and, with its prompt, answers a line end with CR LF "OS> "
// and takes the loader's "x", "ey" and "Sy" commands too, and "b", which restarts the
// CPU into its loader; "~ios!" does that at any time, "~scr!" shows a splash text.
// The loader shows CR LF "IOS>" (or its key challenge) and takes one-letter commands,
// echoing them: "x" (where are you), "ey" (key), "Sy<rate>" CR (store the rate), "b"
// (restart: the loader at its stored rate, or the application once an image has been
// taken), "py" (erase, answered by a line ending "mode." CR LF, then the image). The
// image comes in chunks of 1024 bytes, each answered by 0xAE and a blank. A pause of 0.2 s inside a
// chunk ends the image (that short chunk is answered too), and so does a line quiet
// for 1.5 s after a full chunk; CR LF "CHECKSUM: " + 8 hex digits + CR LF "IOS>"
// follows. So a host that waits longer than that before its next chunk (after an
// acknowledgement that never came) finds the image ended, as on a real loader.
class Enclosure {
public:
    explicit Enclosure(EnclosureConfig config = {});
    ~Enclosure();
    Enclosure(const Enclosure&) = delete;
    Enclosure& operator=(const Enclosure&) = delete;

    // The rate the host's side of the line runs at. Bytes in either direction at a rate
    // other than the device's current one arrive as garbage, or not at all.
    void setHostBaud(int baud, int64_t nowUs);
    // Bytes the host wrote at nowUs. They reach the device at once, or one character
    // time after another with pacing; while the device is busy (restarting, erasing,
    // summing) they are lost, as its UART overruns.
    void fromHost(const std::string& bytes, int64_t nowUs);
    // Runs the device up to nowUs and returns the bytes that have reached the host by then.
    std::string toHost(int64_t nowUs);
    // When the device next does something on its own (an answer due, a time-out), or
    // max() when it only waits for the host.
    int64_t nextEventUs() const;
    // False once the line has gone away (the disconnect fault).
    bool lineUp() const;

    // What the device took as its image since the last erase, byte for byte; whether
    // it has reported a checksum for it since, and that checksum.
    const std::string& receivedImage() const;
    bool uploadComplete() const;
    std::string reportedChecksum() const;
    // The checksum the device reports for an image whose bytes it received intact:
    // CRC-32 (8 upper-case hex digits) of everything after the first line end.
    static std::string checksumOf(const std::string& image);
    // Everything the host sent, for tests that look at the dialogue.
    const std::string& hostBytes() const;
    // The device's current rate and whether its loader runs (both change when a
    // restart has finished).
    int deviceBaud() const;
    bool inLoader() const;

    static constexpr int64_t Never = std::numeric_limits<int64_t>::max();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
