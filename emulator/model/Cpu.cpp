#include "emulator/model/Cpu.h"

#include <algorithm>
#include <cctype>

namespace {

// The application always runs at this rate; the loader at the rate it has stored.
constexpr int AppBaud = 9600;
const int StoredRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

// How long the firmware is busy, and deaf to the line, while it restarts (into its
// loader; the application takes the configured time).
constexpr int64_t RestartUs = 300000;
// The host writes each chunk in one go, so a pause inside a chunk means it was the
// short last one. After a full chunk the next follows as soon as the host has seen the
// acknowledgement; a line quiet this long means there is none, early enough for the
// checksum to reach a host that waits three seconds for the prompt. A loader that
// never sees an image stops waiting after a while.
constexpr int64_t ShortChunkGapUs = 200000;
constexpr int64_t ImageQuietUs = 1500000;
constexpr int64_t ImageWaitUs = 30000000;
constexpr size_t ChunkSize = 1024;
constexpr size_t MaxKeyLength = 64;
constexpr size_t MaxRateDigits = 7;

const std::string CrLf = "\r\n";

// The application's texts.
const std::string AppPrompt = "\r\nOS> ";
const std::string EnterLoaderEscape = "~ios!";
const std::string SplashEscape = "~scr!";
const std::string Splash =
    "\r\n+--------------------------------------+"
    "\r\n|  ZQ Technologies signal switcher     |"
    "\r\n|  enclosure CPU                       |"
    "\r\n+--------------------------------------+";
const std::string AppStarted = "\r\nEnclosure CPU application\r\nReady\r\n";
// The line driver glitches while the CPU resets into its loader.
const std::string ResetGlitch = "\xFF";

// The loader's commands: one letter, the longer ones confirmed by a "y"; "Sy" is
// followed by the rate and a CR.
constexpr char WhereCommand = 'x';
constexpr char RestartCommand = 'b';
constexpr char EraseCommand = 'p';
constexpr char KeyCommand = 'e';
constexpr char StoreRateCommand = 'S';
constexpr char Confirm = 'y';

// The loader's texts.
const std::string LoaderPrompt = "\r\nIOS>";
const std::string KeyPrompt = "\r\nkey: ";
const std::string UnlockWord = "01KwgTHs837RyuLdXsZBov64";
const std::string UnlockWordM = "01KwgTHs837mRyuLdXsZBov64";
const std::string PlainChallengeEnd = ": ";
const std::string MChallengeEnd = " :";
const std::string InvalidKey = "\r\nInvalid key";
const std::string BaudStored = "\r\nBaud rate set to ";
const std::string InvalidBaud = "\r\nInvalid baud rate";
const std::string Erasing = "\r\nErasing application block\r\n";
const std::string Erased = "Application block erased, upload mode.\r\n";
const std::string NoImage = "\r\nNo image received";
const std::string Acknowledge = "\xAE ";
const std::string ChecksumMarker = "CHECKSUM:";
const std::string Unsolicited = "\r\nSupply 24.1 V, fan 2 ok\r\n";

}  // namespace

Cpu::Cpu(const EnclosureConfig& config, Sink sink)
    : config_(config),
      sink_(std::move(sink)),
      mode_(config.startInLoader ? Mode::Command : Mode::App),
      baud_(config.startInLoader ? config.loaderBaud : AppBaud),
      inLoader_(config.startInLoader),
      storedBaud_(config.loaderBaud) {
    if (config_.startInLoader && config_.challenge != EnclosureConfig::Challenge::None) mode_ = Mode::Challenge;
}

void Cpu::say(const std::string& text, int64_t atUs) { sink_(atUs + config_.answerDelayUs, text, baud_); }

void Cpu::setTimer(Mode mode, int64_t atUs) {
    mode_ = mode;
    timerUs_ = atUs;
}

bool Cpu::mChallenge() const {
    using C = EnclosureConfig::Challenge;
    return config_.challenge == C::MVariant || (config_.challenge == C::MThenPlain && !mAnswered_);
}

const std::string& Cpu::challengeWord() const { return mChallenge() ? UnlockWordM : UnlockWord; }

std::string Cpu::challengeText() const {
    return CrLf + challengeWord() + (mChallenge() ? MChallengeEnd : PlainChallengeEnd);
}

void Cpu::receive(unsigned char c, int64_t atUs) {
    switch (mode_) {
    case Mode::App: appByte(c, atUs); break;
    case Mode::Challenge: challengeByte(c, atUs); break;
    case Mode::Command: commandByte(c, atUs); break;
    case Mode::KeyEntry: keyByte(c, atUs); break;
    case Mode::Image: imageByte(c, atUs); break;
    case Mode::Restarting:
    case Mode::Erasing:
    case Mode::Summing: break;  // busy: the UART overruns and the byte is lost
    }
}

void Cpu::appByte(unsigned char c, int64_t atUs) {
    // The application's console echoes all that is typed but line ends.
    if (c != '\r' && c != '\n') say(std::string(1, char(c)), atUs);
    recent_.push_back(char(c));
    if (recent_.size() > EnterLoaderEscape.size()) recent_.erase(0, recent_.size() - EnterLoaderEscape.size());
    if (recent_ == EnterLoaderEscape) {
        recent_.clear();
        if (config_.sendFFOnRestart) say(ResetGlitch, atUs);
        restart(config_.ignoreEnterLoader, atUs);
    } else if (recent_ == SplashEscape) {
        recent_.clear();
        say(config_.appPrompt ? Splash + AppPrompt : Splash + CrLf, atUs);
    } else if (config_.appPrompt) {
        // With its prompt it also takes the settings and restart commands of the loader.
        commandByte(c, atUs);
    }
}

void Cpu::restart(bool toApp, int64_t atUs) {
    restartToApp_ = toApp;
    pending_ = 0;
    typed_.clear();
    setTimer(Mode::Restarting, atUs + (toApp && inLoader_ ? config_.appStartUs : RestartUs));
}

void Cpu::startLoader(int64_t atUs) {
    baud_ = storedBaud_;
    inLoader_ = true;
    mAnswered_ = false;
    if (config_.challenge != EnclosureConfig::Challenge::None) {
        mode_ = Mode::Challenge;
        say(challengeText(), atUs);
    } else {
        mode_ = Mode::Command;
        say(LoaderPrompt, atUs);
    }
}

void Cpu::challengeByte(unsigned char c, int64_t atUs) {
    if (c == '\n') return;
    // Neither word holds a lower-case x, so "x" can ask for the challenge again.
    if (c == '\r' || c == WhereCommand) {
        typed_.clear();
        say(challengeText(), atUs);
        return;
    }
    typed_.push_back(char(c));
    if (typed_.size() < challengeWord().size()) return;
    const bool right = !config_.rejectKey && typed_ == challengeWord();
    typed_.clear();
    if (right && config_.challenge == EnclosureConfig::Challenge::MThenPlain && !mAnswered_) {
        mAnswered_ = true;
        say(challengeText(), atUs);
    } else if (right) {
        mode_ = Mode::Command;
        say(LoaderPrompt, atUs);
    } else {
        say(InvalidKey + challengeText(), atUs);
    }
}

void Cpu::commandByte(unsigned char c, int64_t atUs) {
    const bool app = mode_ == Mode::App;
    const std::string& prompt = app ? AppPrompt : LoaderPrompt;
    auto echo = [&](char ch) {
        if (!app) say(std::string(1, ch), atUs);
    };
    if (pending_ == StoreRateCommand && confirmed_) {
        if (std::isdigit(c) && rate_.size() < MaxRateDigits) {
            rate_.push_back(char(c));
            echo(char(c));
            return;
        }
        pending_ = 0;
        if (c == '\r') {
            const int rate = rate_.empty() ? 0 : std::stoi(rate_);
            if (std::find(std::begin(StoredRates), std::end(StoredRates), rate) != std::end(StoredRates)) {
                storedBaud_ = rate;
                say(BaudStored + rate_ + prompt, atUs);
            } else {
                say(InvalidBaud + prompt, atUs);
            }
            return;
        }
        // Anything else abandons the command and is read as a command of its own.
    } else if (pending_ != 0) {
        const char command = pending_;
        pending_ = 0;
        if (c == Confirm) {
            echo(Confirm);
            if (command == StoreRateCommand) {
                pending_ = StoreRateCommand;
                confirmed_ = true;
                rate_.clear();
            } else if ((command == KeyCommand && config_.keyPromptOnEy) ||
                       (command == EraseCommand && config_.keyPromptOnPy)) {
                keyFor_ = command == KeyCommand ? KeyFor::Settings : KeyFor::Erase;
                keyReturn_ = mode_;
                mode_ = Mode::KeyEntry;
                say(KeyPrompt, atUs + config_.keyPromptDelayUs);
            } else if (command == KeyCommand) {
                say(prompt, atUs);
            } else {
                startErase(atUs);
            }
            return;
        }
    }

    switch (c) {
    case WhereCommand:
        echo(WhereCommand);
        say(prompt, atUs);
        break;
    case RestartCommand:
        echo(RestartCommand);
        // From the application, a restart always goes to the loader.
        restart(!app && appLoaded_, atUs);
        break;
    case EraseCommand:
        if (app) break;  // only the loader erases the application block
        [[fallthrough]];
    case KeyCommand:
    case StoreRateCommand:
        echo(char(c));
        pending_ = char(c);
        confirmed_ = false;
        break;
    case '\r': say(prompt, atUs); break;
    default: break;  // unknown commands, the LF of a CR LF and line noise are ignored
    }
}

void Cpu::keyByte(unsigned char c, int64_t atUs) {
    if (c != '\r' && c != '\n') {
        if (typed_.size() <= MaxKeyLength) typed_.push_back(char(c));
        return;
    }
    const bool right = !config_.rejectKey && typed_ == UnlockWord;
    typed_.clear();
    mode_ = keyReturn_;
    const std::string& prompt = mode_ == Mode::App ? AppPrompt : LoaderPrompt;
    if (!right) {
        say(InvalidKey + prompt, atUs);
    } else if (keyFor_ == KeyFor::Erase) {
        startErase(atUs);
    } else {
        say(prompt, atUs);
    }
}

void Cpu::startErase(int64_t atUs) {
    say(config_.eraseText.empty() ? Erasing : Erasing + config_.eraseText + CrLf, atUs);
    appLoaded_ = false;
    uploadComplete_ = false;
    reported_.clear();
    image_.clear();
    chunkFill_ = 0;
    chunkIndex_ = 0;
    setTimer(Mode::Erasing, atUs + config_.eraseUs);
}

void Cpu::imageByte(unsigned char c, int64_t atUs) {
    if (static_cast<int64_t>(image_.size()) == config_.flipByte) c ^= 1;
    image_.push_back(char(c));
    lastActivityUs_ = std::max(lastActivityUs_, atUs);
    if (++chunkFill_ == ChunkSize) acknowledgeChunk(atUs);
    timerUs_ = lastActivityUs_ + (chunkFill_ > 0 ? ShortChunkGapUs : ImageQuietUs);
}

void Cpu::acknowledgeChunk(int64_t atUs) {
    chunkFill_ = 0;
    const int chunk = chunkIndex_++;
    if (chunk == config_.dropAckAtChunk) return;
    const int64_t at = atUs + (chunk == config_.lateAckAtChunk ? config_.lateAckUs : 0);
    say(Acknowledge, at);
    if (chunk == config_.unsolicitedAtChunk) say(Unsolicited, at);
    // The loader listens for the next chunk only once it has answered this one.
    lastActivityUs_ = std::max(lastActivityUs_, at + config_.answerDelayUs);
}

std::string Cpu::checksumReport(const std::string& sum) const {
    using L = EnclosureConfig::ChecksumLine;
    if (config_.floodChars > 0) {
        // A report that runs on and on, never ending its line.
        std::string flood = CrLf + ChecksumMarker + " ";
        for (int64_t i = 0; i < config_.floodChars; ++i) flood.push_back(sum[size_t(i) % sum.size()]);
        return flood;
    }
    switch (config_.checksumLine) {
    case L::Normal: break;
    case L::LowerCase: {
        std::string line = CrLf + ChecksumMarker + " " + sum;
        for (char& c : line) c = char(std::tolower(static_cast<unsigned char>(c)));
        return line + LoaderPrompt;
    }
    case L::NoBlank: return CrLf + ChecksumMarker + sum + LoaderPrompt;
    case L::Long: return CrLf + ChecksumMarker + " 0x" + sum + LoaderPrompt;
    case L::Missing: return LoaderPrompt;
    }
    return CrLf + ChecksumMarker + " " + sum + LoaderPrompt;
}

void Cpu::tick(int64_t atUs) {
    if (atUs < timerUs_) return;
    timerUs_ = Enclosure::Never;
    switch (mode_) {
    case Mode::Restarting:
        if (restartToApp_) {
            baud_ = AppBaud;
            inLoader_ = false;
            mode_ = Mode::App;
            recent_.clear();
            say(AppStarted, atUs);
        } else {
            // Entered from the application, the loader holds no new image yet.
            if (!inLoader_) appLoaded_ = false;
            startLoader(atUs);
        }
        break;
    case Mode::Erasing:
        say(Erased, atUs);
        lastActivityUs_ = atUs;
        setTimer(Mode::Image, atUs + ImageWaitUs);
        break;
    case Mode::Image:
        if (image_.empty()) {
            mode_ = Mode::Command;
            say(NoImage + LoaderPrompt, atUs);
            break;
        }
        if (chunkFill_ > 0) acknowledgeChunk(atUs);
        setTimer(Mode::Summing, std::max(atUs, lastActivityUs_) + config_.sumUs);
        break;
    case Mode::Summing: {
        std::string sum = Enclosure::checksumOf(image_);
        if (config_.wrongChecksum) sum.back() = sum.back() == '0' ? '1' : '0';
        reported_ = sum;
        uploadComplete_ = true;
        appLoaded_ = true;
        mode_ = Mode::Command;
        say(checksumReport(sum), atUs);
        break;
    }
    default: break;
    }
}
