#include "upload/UploadResult.h"

#include <algorithm>

#include "app/Engine.h"
#include "app/HostError.h"
#include "upload/TransferFigures.h"

namespace {

constexpr const char* StderrPrefix = "kelvane: ";
constexpr const char* TranscriptLabel = " Transcript: ";
constexpr const char* HistoryNotWritten = "kelvane: the upload history could not be written: ";
constexpr int64_t ChunkBytes = 1024;
// A device that floods the line must not fill the memory: the transcript keeps this much.
constexpr size_t TranscriptLimit = size_t(64) << 20;
// The restarted application's "Ready" is awaited this long.
constexpr int AppReadySeconds = 10;

// Light backgrounds that keep the strip's text readable.
constexpr Rgb SuccessBack{0xC8, 0xEC, 0xC9}, SuccessText{0x0B, 0x4F, 0x14};
constexpr Rgb FailureBack{0xF6, 0xC9, 0xC6}, FailureText{0x7A, 0x0B, 0x0B};
constexpr Rgb StopBack{0xFF, 0xE3, 0x9E}, StopText{0x5C, 0x3D, 0x00};

// A sentence is one line, whatever the host's reason holds.
std::string OneLine(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, "; ");
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string Number(int64_t n) { return std::to_string(n); }

}  // namespace

const char* UploadResult::PhaseName(Phase phase) {
    switch (phase) {
    case Phase::StartUp: return "start-up";
    case Phase::CheckingPort: return "opening the port";
    case Phase::LoadingFile: return "loading the file";
    case Phase::Detecting: return "detecting the CPU";
    case Phase::EnteringLoader: return "entering the loader";
    case Phase::RaisingRate: return "raising the rate";
    case Phase::UnlockingErasing: return "unlocking and erasing";
    case Phase::Sending: return "sending";
    case Phase::AwaitingChecksum: return "waiting for the checksum";
    case Phase::RestoringRate: return "setting the loader's rate back";
    case Phase::Restarting: return "restarting";
    case Phase::Finished: return "finished";
    }
    return "";
}

void UploadResult::Begin() {
    f_ = Facts{};
    f_.uploadRan = true;
    f_.startMs = k_.host.clockMs();
    f_.port = k_.state.portNumber;
    f_.device = f_.port > 0 ? k_.port.deviceName(f_.port) : std::string();
    k_.ui.lblUploadResult.setCaption({});
    k_.ui.lblUploadResult.setColors(std::nullopt, std::nullopt);
    EnterPhase(Phase::CheckingPort);
}

void UploadResult::EnterPhase(Phase phase) {
    f_.phase = phase;
    const bool sent = f_.transferEndMs >= 0;
    const std::string figures = sent ? TransferFigures::Final(f_.bytes, f_.transferEndMs - f_.transferStartMs) : "";
    switch (phase) {
    case Phase::CheckingPort: ShowStatus("Opening " + Where()); break;
    case Phase::LoadingFile: ShowStatus("Loading the image file"); break;
    case Phase::EnteringLoader: ShowStatus("Entering the loader (IOS)"); break;
    case Phase::RaisingRate: ShowStatus("Raising the rate to 57600 baud"); break;
    case Phase::UnlockingErasing: ShowStatus("Unlocking and erasing the application block"); break;
    case Phase::AwaitingChecksum: ShowStatus("Waiting for the checksum; " + figures); break;
    case Phase::RestoringRate: ShowStatus("Setting the loader back to " + f_.rate + " baud; " + figures); break;
    case Phase::Restarting: ShowStatus("Restarting the CPU into its application; " + figures); break;
    case Phase::Finished: ShowStatus(figures); break;
    case Phase::StartUp:
    case Phase::Detecting:       // shown with its rate
    case Phase::Sending: break;  // shown with its figures
    }
}

void UploadResult::ShowStatus(const std::string& text) { k_.ui.lblUploadStatus.setCaption(text); }

void UploadResult::Probing(const std::string& rate) {
    if (std::find(f_.ratesTried.begin(), f_.ratesTried.end(), rate) == f_.ratesTried.end())
        f_.ratesTried.push_back(rate);
    f_.rate = rate;
    EnterPhase(Phase::Detecting);
    ShowStatus("Detecting the CPU at " + rate + " baud");
}

void UploadResult::LoaderRequested() {
    ++f_.loaderRequests;
    EnterPhase(Phase::EnteringLoader);
}

void UploadResult::CpuAnswered(bool inLoader, const std::string& rate) {
    f_.enclosure = inLoader ? Enclosure::InLoader : Enclosure::InApplication;
    f_.rate = rate;
}

void UploadResult::LoaderMoved(const std::string& rate) {
    f_.enclosure = Enclosure::InLoader;
    f_.rate = rate;
}

void UploadResult::KeyAnswered(bool accepted) { f_.keyRefused = f_.keyRefused || !accepted; }

void UploadResult::EraseSent() { f_.enclosure = Enclosure::Erasing; }

void UploadResult::EraseEnded(bool done) {
    if (done)
        f_.enclosure = Enclosure::Erased;
    else
        f_.eraseUnconfirmed = true;
}

void UploadResult::File(const std::string& path, int64_t size, const std::string& declared) {
    f_.imagePath = path;
    f_.imageSize = size;
    f_.declared = declared;
}

void UploadResult::TransferBegins(int64_t bytes, int64_t chunks) {
    f_.bytes = bytes;
    f_.chunks = chunks;
    f_.transferStartMs = k_.host.clockMs();
    EnterPhase(Phase::Sending);
}

void UploadResult::ChunkSent(int64_t sentBefore) {
    ++f_.chunksSent;
    f_.sentBytes = std::min(sentBefore + ChunkBytes, f_.bytes);
    ShowStatus(TransferFigures::Progress(sentBefore, f_.bytes, k_.host.clockMs() - f_.transferStartMs));
}

void UploadResult::ChunkAcknowledged() { ++f_.chunksAcked; }

void UploadResult::TransferComplete() {
    f_.transferEndMs = k_.host.clockMs();
    if (f_.enclosure != Enclosure::Unknown) f_.enclosure = Enclosure::ImageSent;
}

void UploadResult::Checksums(const std::string& expected, const std::string& returned) {
    f_.expected = expected;
    f_.returned = returned;
}

void UploadResult::LoaderRateSetBack(const std::string& rate) { f_.rate = rate; }

void UploadResult::Restarted(bool ready) { f_.enclosure = ready ? Enclosure::Restarted : Enclosure::NotReady; }

void UploadResult::ErrorReported(int number, const std::string& reason) {
    f_.errorNumber = number;
    f_.errorReason = OneLine(reason);
    f_.errorActivity = Activity(f_.phase);
    // Outside an upload the port is the one start-up or the user chose.
    if (!k_.state.uploadBusy) {
        f_.port = k_.state.portNumber;
        f_.device = f_.port > 0 ? k_.port.deviceName(f_.port) : std::string();
    }
}

void UploadResult::LineFailed(const std::string& reason) {
    if (k_.state.uploadBusy && f_.lineFailure.empty())
        f_.lineFailure = OneLine(reason.empty() ? "read failed" : reason);
}

void UploadResult::LineRateRefused(const std::string& why) { f_.errorReason = OneLine(why); }

void UploadResult::StopAsked(StopSource source) {
    if (!k_.state.uploadBusy || f_.stopAsked) return;
    f_.stopAsked = true;
    f_.stopSource = source;
    f_.stopActivity = Activity(f_.phase);
}

void UploadResult::Received(const std::string& bytes) {
    if (f_.transcript.size() < TranscriptLimit) f_.transcript.append(bytes, 0, TranscriptLimit - f_.transcript.size());
}

void UploadResult::End(Ending ending) {
    if (f_.ending != Ending::None) return;
    f_.ending = ending;
    f_.endMs = k_.host.clockMs();
    if (ending == Ending::Success || ending == Ending::NoChecksum) f_.phase = Phase::Finished;
    const bool sent = f_.transferEndMs >= 0;
    ShowStatus(sent ? TransferFigures::Final(f_.bytes, f_.transferEndMs - f_.transferStartMs) : std::string());
}

void UploadResult::EndOfRun() {
    if (!k_.state.autoMode) return;
    if (!f_.uploadRan) {
        f_.port = f_.errorNumber ? f_.port : k_.state.portNumber;
        if (f_.errorNumber == 0 && f_.port > 0) f_.device = k_.port.deviceName(f_.port);
        f_.ending = f_.errorNumber ? Ending::Error
                    : k_.state.appExitCode == 3 && !k_.state.helpRequested && !k_.state.cmdLinePath.empty()
                        ? Ending::InvalidPort
                        : Ending::NoUpload;
        f_.uploadRan = true;
    }
    Publish();
}

void UploadResult::Publish() {
    if (f_.ending == Ending::None || f_.published) return;
    f_.published = true;
    const std::string sentence = Sentence();

    std::string transcriptName, historyFailure;
    if (k_.history) {
        UploadRecord r;
        r.durationMs = f_.endMs - f_.startMs;
        r.imagePath = f_.imagePath;
        r.imageSize = f_.imageSize;
        r.declaredChecksum = f_.declared;
        r.expectedChecksum = f_.expected;
        r.reportedChecksum = f_.returned;
        r.port = f_.port;
        r.device = f_.device;
        r.rateFound = k_.state.foundBaud;
        r.exitCode = k_.state.appExitCode;
        r.phase = PhaseName(f_.phase);
        r.result = sentence;
        try {
            transcriptName = k_.history->record(r, f_.transcript);
        } catch (const HostError& e) {
            historyFailure = HistoryNotWritten + e.reason();
        }
    }

    Control& strip = k_.ui.lblUploadResult;
    const bool success = f_.ending == Ending::Success;
    const bool stopped = f_.ending == Ending::Stopped && f_.lineFailure.empty();
    // The pane is emptied after a failure: the strip says where its bytes are kept.
    const bool named = !success && !transcriptName.empty() && !f_.transcript.empty();
    strip.setCaption(sentence + (named ? TranscriptLabel + transcriptName : ""));
    if (success)
        strip.setColors(SuccessBack, SuccessText);
    else if (stopped)
        strip.setColors(StopBack, StopText);
    else
        strip.setColors(FailureBack, FailureText);

    if (k_.state.autoMode) k_.host.warn(StderrPrefix + sentence);
    if (!historyFailure.empty()) k_.host.warn(historyFailure);
}

std::string UploadResult::Where() const {
    if (f_.port <= 0) return "no port";
    return "Com " + Number(f_.port) + (f_.device.empty() ? "" : " (" + f_.device + ")");
}

std::string UploadResult::RatesTried() const {
    std::string text;
    for (size_t i = 0; i < f_.ratesTried.size(); ++i) {
        if (i > 0) text += i + 1 == f_.ratesTried.size() ? " or " : ", ";
        text += f_.ratesTried[i];
    }
    return text.empty() ? "any rate" : text;
}

std::string UploadResult::EnclosureState() const {
    switch (f_.enclosure) {
    case Enclosure::InApplication: return " The enclosure still runs its application.";
    case Enclosure::InLoader:
        return " The enclosure is in its loader at " + f_.rate + " baud; its application block is untouched.";
    case Enclosure::Erasing:
        return " The application block may be erased: the enclosure stays in its loader until an upload succeeds.";
    case Enclosure::Erased:
        return " The application block is erased: the enclosure stays in its loader until an upload succeeds.";
    case Enclosure::ImageSent:
        return " The enclosure keeps the image unconfirmed and stays in its loader at " + f_.rate +
               " baud; upload again.";
    case Enclosure::Unknown:
    case Enclosure::Restarted:
    case Enclosure::NotReady: break;
    }
    return {};
}

std::string UploadResult::Activity(Phase phase) const {
    switch (phase) {
    case Phase::Detecting: return "detecting the CPU at " + f_.rate + " baud";
    case Phase::Sending:
        return "sending chunk " + Number(std::max<int64_t>(f_.chunksSent, 1)) + " of " + Number(f_.chunks) + " (" +
               Number(f_.chunksAcked) + " acknowledged)";
    default: return PhaseName(phase);
    }
}

std::string UploadResult::StopSentence() const {
    const char* by = f_.stopSource == StopSource::Signal ? "Stopped by a signal"
                     : f_.stopSource == StopSource::Exit ? "Stopped by closing the program"
                                                         : "Stopped by the user";
    return std::string(by) + " while " + (f_.stopAsked ? f_.stopActivity : Activity(f_.phase)) + " on " + Where() +
           ": no verdict." + EnclosureState();
}

std::string UploadResult::ErrorSentence() const {
    const std::string& why = f_.errorReason;
    switch (f_.errorNumber) {
    case ErrorNumber::BadFileName:
    case ErrorNumber::FileNotFound:
    case ErrorNumber::PathFileAccess:
    case ErrorNumber::PathNotFound:
        // The host's reason names the file, as a rule; the sentence always does.
        return "File error: " +
               (why.find(f_.imagePath) == std::string::npos ? f_.imagePath + (why.empty() ? "" : ": ") : "") + why +
               ". Check the file to upload; nothing was sent.";
    case ErrorNumber::NoSuchPort:
        return "Port error: " + Where() + " is not there" + (why.empty() ? "" : " (" + why + ")") +
               ". Check the adapter and the device the port is mapped to (Options > Serial Ports...).";
    case ErrorNumber::PortInUse:
        return "Port error: " + Where() + " is in use by another program or device" +
               (why.empty() ? "" : " (" + why + ")") + ". Close that program, or choose another port.";
    case ErrorNumber::PermissionDenied:
        return "Port error: this user may not open " + Where() + (why.empty() ? "" : " (" + why + ")") + ".";
    default:
        return "Unexpected error " + Number(f_.errorNumber) + " while " + f_.errorActivity + " on " + Where() +
               (why.empty() ? "" : ": " + why) + "." + EnclosureState();
    }
}

std::string UploadResult::Sentence() const {
    const bool line = !f_.lineFailure.empty();
    const std::string bytes = Number(f_.bytes) + " bytes";
    switch (f_.ending) {
    case Ending::None: return {};
    case Ending::Success: {
        std::string end = "left in its loader at " + f_.rate + " baud";
        if (f_.enclosure == Enclosure::Restarted) end = "restarted into the application";
        if (f_.enclosure == Enclosure::NotReady)
            end = "told to restart, but the application did not say \"Ready\" within " + Number(AppReadySeconds) +
                  " s; check it on the terminal";
        return "Upload successful: " + bytes + " to " + Where() + " in " +
               TransferFigures::Seconds(f_.endMs - f_.startMs) + "; the CPU reported checksum " + f_.returned +
               (f_.expected == ImageFile::UnknownChecksum ? " (the file declares none)" : "") + "; " + end + ".";
    }
    case Ending::NoChecksum:
        return "No verdict: the CPU on " + Where() + " reported no checksum for the " + bytes +
               " sent, and the file declares none; check the image and upload again." + EnclosureState();
    case Ending::InvalidPort:
        return "Port error: no port to upload to (the port selector shows \"None\"); choose Com 1 to Com 9, "
               "or give -s1 to -s9.";
    case Ending::NoFile:
        return "File error: no file named for the upload; choose one with Browse, or name it first on the "
               "command line.";
    case Ending::NotAnImage:
        return "File error: " + f_.imagePath + " is not an encoded image file (it does not start with \"" +
               ImageFile::Header + "\"); nothing was sent to " + Where() + ".";
    case Ending::ArgumentMismatch:
        return "Checksum mismatch before the upload: -checksum gives " + f_.expected + " but " + f_.imagePath +
               (f_.declared.empty() ? " declares none" : " declares " + f_.declared) + "; nothing was sent to " +
               Where() + ".";
    case Ending::NoUpload:
        return k_.state.helpRequested || k_.state.cmdLinePath.empty()
                   ? "No upload: the usage text was shown; name the image file first, then -auto and the options."
                   : "No upload: the rate given with -b is not one the loader takes (9600, 19200, 38400 or 57600).";
    case Ending::Error: return ErrorSentence();
    case Ending::LineRate:
        return "Port error: " + Where() + " cannot carry the upload: " + f_.errorReason + " Nothing was sent.";
    default: break;
    }
    if (line)
        return "No verdict: the line to " + Where() + " failed while " + Activity(f_.phase) + " (" + f_.lineFailure +
               "). Check the cable and the adapter." + EnclosureState();
    switch (f_.ending) {
    case Ending::NoAnswer:
        return "No verdict: the CPU did not answer on " + Where() + " at " + RatesTried() +
               " baud. Check the cable, the enclosure's power and the port.";
    case Ending::NoLoader:
        return "No verdict: the CPU on " + Where() + " answers at " + f_.rate +
               " baud but did not enter its loader after " + Number(f_.loaderRequests) +
               " \"~ios!\"; it still runs its application. Restart the enclosure and "
               "upload again.";
    case Ending::TransferFailed:
        return "No verdict: no acknowledgement after chunk " + Number(f_.chunksAcked) + " of " + Number(f_.chunks) +
               " (" + Number(f_.sentBytes) + " of " + bytes + " sent) on " + Where() +
               (f_.keyRefused         ? "; the loader did not take the unlock word"
                : f_.eraseUnconfirmed ? "; the loader had not said that its erase was done"
                                      : "") +
               "." + EnclosureState();
    case Ending::Mismatch:
        return "Checksum mismatch: the CPU on " + Where() +
               (f_.returned.empty() ? " reported no checksum" : " reported " + f_.returned) + " for the " + bytes +
               " sent, the expected checksum is " + f_.expected + "." + EnclosureState();
    case Ending::Stopped: return StopSentence();
    default: return {};
    }
}
