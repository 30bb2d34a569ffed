#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Engine;

// What one upload saw, told by its stages as they go: the phase, the port and the
// device behind it, the rates tried, the chunks acknowledged, the checksums, the state
// the enclosure is known to be in. From that it shows the phase in the status line
// while the upload runs, and at the end it makes the one sentence that says what
// happened, which goes to the result strip, the log, standard error of an unattended
// run and the upload history alike.
class UploadResult {
public:
    explicit UploadResult(Engine& k) : k_(k) {}

    enum class Phase {
        StartUp, CheckingPort, LoadingFile, Detecting, EnteringLoader, RaisingRate, UnlockingErasing, Sending,
        AwaitingChecksum, RestoringRate, Restarting, Finished
    };
    enum class Ending {
        None, Success, NoChecksum, InvalidPort, NoFile, NotAnImage, ArgumentMismatch, NoAnswer, NoLoader,
        TransferFailed, Mismatch, Stopped, Error, NoUpload, LineRate
    };
    enum class StopSource { User, Exit, Signal };

    // An upload starts: what the last one found is forgotten.
    void Begin();
    void EnterPhase(Phase phase);
    void Probing(const std::string& rate);
    // The CPU showed a prompt: its loader's, or its application's.
    // "~ios!" is about to go out.
    void LoaderRequested();
    void CpuAnswered(bool inLoader, const std::string& rate);
    void LoaderMoved(const std::string& rate);
    // The loader was sent the unlock word at a "key: " prompt, and took it or not.
    void KeyAnswered(bool accepted);
    // The erase command went out; then whether the loader said it was done.
    void EraseSent();
    void EraseEnded(bool done);
    void File(const std::string& path, int64_t size, const std::string& declared);
    void TransferBegins(int64_t bytes, int64_t chunks);
    void ChunkSent(int64_t sentBefore);
    void ChunkAcknowledged();
    void TransferComplete();
    void Checksums(const std::string& expected, const std::string& returned);
    void LoaderRateSetBack(const std::string& rate);
    void Restarted(bool ready);
    void ErrorReported(int number, const std::string& reason);
    void LineFailed(const std::string& reason);
    // The line keeps its far end's rate, which is not the one the upload needs.
    void LineRateRefused(const std::string& why);
    void StopAsked(StopSource source);
    // Bytes the device sent during the upload, as they came.
    void Received(const std::string& bytes);
    void End(Ending ending);

    // Shows and keeps the result of the upload that has ended; once per upload.
    void Publish();
    // An unattended run ends: a run that never reached an upload has its result too.
    void EndOfRun();

    // The sentence of the upload that has ended, or empty while none has.
    std::string Sentence() const;
    Phase phase() const { return f_.phase; }
    static const char* PhaseName(Phase phase);

private:
    enum class Enclosure { Unknown, InApplication, InLoader, Erasing, Erased, ImageSent, Restarted, NotReady };

    std::string Where() const;
    std::string RatesTried() const;
    std::string EnclosureState() const;
    std::string ErrorSentence() const;
    std::string StopSentence() const;
    std::string Activity(Phase phase) const;
    void ShowStatus(const std::string& text);

    Engine& k_;
    // Everything one upload found; a new upload starts from nothing.
    struct Facts {
        Phase phase = Phase::StartUp;
        Ending ending = Ending::None;
        bool uploadRan = false;
        bool published = false;
        int64_t startMs = 0, endMs = 0;
        int port = 0;
        std::string device;
        std::vector<std::string> ratesTried;
        std::string rate;
        int loaderRequests = 0;
        Enclosure enclosure = Enclosure::Unknown;
        bool keyRefused = false;
        bool eraseUnconfirmed = false;
        std::string imagePath, declared;
        int64_t imageSize = 0;
        int64_t bytes = 0, chunks = 0, chunksSent = 0, chunksAcked = 0, sentBytes = 0;
        int64_t transferStartMs = 0, transferEndMs = -1;
        std::string expected, returned;
        int errorNumber = 0;
        std::string errorReason;
        std::string errorActivity;
        std::string lineFailure;
        bool stopAsked = false;
        StopSource stopSource = StopSource::User;
        std::string stopActivity;
        std::string transcript;
    } f_;
};
