#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "emulator/Enclosure.h"

// The firmware of the enclosure CPU: its application and its resident loader, one byte
// at a time as the UART hands them over. It knows nothing of the line: what it says
// goes to the sink with the time it leaves and the rate it leaves at.
class Cpu {
public:
    using Sink = std::function<void(int64_t atUs, const std::string& bytes, int baud)>;

    Cpu(const EnclosureConfig& config, Sink sink);

    // A byte has reached the device at atUs.
    void receive(unsigned char byte, int64_t atUs);
    // Runs what the firmware has planned for atUs (a restart ending, an erase
    // finishing, the image ending on a quiet line, ...).
    void tick(int64_t atUs);
    // When tick() has something to do, or Enclosure::Never.
    int64_t timerUs() const { return timerUs_; }

    int baud() const { return baud_; }
    bool inLoader() const { return inLoader_; }
    const std::string& image() const { return image_; }
    bool uploadComplete() const { return uploadComplete_; }
    const std::string& reportedChecksum() const { return reported_; }
    // The image has ended and its checksum is being computed.
    bool summing() const { return mode_ == Mode::Summing; }

private:
    enum class Mode { App, Restarting, Challenge, Command, KeyEntry, Erasing, Image, Summing };
    enum class KeyFor { Settings, Erase };

    void say(const std::string& text, int64_t atUs);
    void appByte(unsigned char c, int64_t atUs);
    void challengeByte(unsigned char c, int64_t atUs);
    void commandByte(unsigned char c, int64_t atUs);
    void keyByte(unsigned char c, int64_t atUs);
    void imageByte(unsigned char c, int64_t atUs);
    void restart(bool toApp, int64_t atUs);
    void startLoader(int64_t atUs);
    void startErase(int64_t atUs);
    void acknowledgeChunk(int64_t atUs);
    void setTimer(Mode mode, int64_t atUs);
    bool mChallenge() const;
    const std::string& challengeWord() const;
    std::string checksumReport(const std::string& sum) const;
    std::string challengeText() const;

    EnclosureConfig config_;
    Sink sink_;
    Mode mode_;
    int64_t timerUs_ = Enclosure::Never;
    int baud_;
    bool inLoader_;
    int storedBaud_;
    bool restartToApp_ = false;
    // An image has been taken since the last erase: "b" starts it.
    bool appLoaded_ = false;

    // Command parsing in the loader.
    char pending_ = 0;        // a command waiting for its confirmation
    bool confirmed_ = false;  // the confirmation has come
    std::string rate_;        // digits after "Sy"
    KeyFor keyFor_ = KeyFor::Settings;
    Mode keyReturn_ = Mode::Command;  // where the key was asked for
    std::string typed_;       // key or challenge word being typed
    bool mAnswered_ = false;  // the "m" challenge of a two-step one has been answered
    std::string recent_;      // the application's last characters, for its escapes

    // The image.
    std::string image_;
    size_t chunkFill_ = 0;
    int chunkIndex_ = 0;
    int64_t lastActivityUs_ = 0;
    bool uploadComplete_ = false;
    std::string reported_;
};
