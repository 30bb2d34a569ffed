#include "upload/UploadDriver.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>

#include "app/Engine.h"
#include "app/HostError.h"
#include "app/Text.h"
#include "ios/LoaderTexts.h"
#include "upload/CpuDetection.h"
#include "upload/ImageFile.h"
#include "upload/IosEntry.h"

namespace {
constexpr const char* NoFileMessage = "Error # 7\r\nNo File Selected for Upload";
constexpr const char* NotAnImageMessage = "Error # 5\r\nNot a valid Appcode file";
constexpr const char* MismatchMessage = "Error # 2\r\nChecksum Mismatch\r\n";
constexpr const char* ExpectedLabel = "Expected checksum: ";
constexpr const char* ReturnedLabel = "Returned checksum: ";
constexpr const char* SuccessMessage = "Upload Successful!";
constexpr const char* SuccessLogMessage = "appExitCode # 0\r\nUpload Successful!";
constexpr const char* LoadingText = "Loading AppCode File";
constexpr const char* StartedLogLabel = "AppCode Upload Started: ";
constexpr const char* RestoreText = "IOS set to 57600 resetting to ";

// After the last chunk the loader reports its checksum and ends with ">".
constexpr int ChecksumReportSeconds = 3;
// Unrecognised replies tolerated before going on to unlock at the last rate probed.
constexpr int MaxUnknownReplies = 3;
// Silent probes tolerated before the line is given up.
constexpr int MaxSilentProbes = 4;
// An unattended run has no Stop button: a CPU that echoes but never enters its loader
// is asked this many times, then the run ends.
constexpr int MaxLoaderRequests = 5;
constexpr const char* NoLoaderHead = "The CPU did not enter its loader (IOS) after ";
constexpr const char* NoLoaderTail = " \"~ios!\"";
// A line that keeps its far end's rate (raw TCP) can only carry an upload at that rate.
constexpr const char* FixedRateMessage = "Error # 3\r\nThe serial line cannot change its baud rate";
constexpr const char* FixedRateNote = "The serial line keeps the baud rate of its far end: ";
constexpr int PortExitCode = 3;

// The probes run at 9600 first, then 57600, 38400, 19200, 57600, ...
void MoveBaudIndex(int16_t& index) {
    if (index > 0) --index;
    if (index == 0) index = 3;
}
}  // namespace

void UploadDriver::PrepareUpload() {
    State& s = k_.state;
    Controls& ui = k_.ui;
    s.transferActive = false;
    ui.cmdStartUploadButton.setEnabled(false);
    ui.cboPort.setEnabled(false);
    ui.cboBaud.setEnabled(false);
    s.uploadBusy = true;
    ui.txtUploadPath.setLocked(true);
    s.commFailed = false;
    ui.Timer1.setEnabled(false);
    for (Control* c : StopAbort::UploadSettingsControls(ui)) c->setEnabled(false);
    s.stopRequested = false;
    k_.result.Begin();
    s.iosBaud = "9600";
    ui.txtAppCheckSum.setText("");
    s.logText.clear();
    k_.channel.ClearTerminal();
    k_.channel.ClearReceiveBuffer();
    if (s.outputToFile)
        s.logText = StartedLogLabel + k_.host.shortTime() + "  " + k_.host.shortDate() + Text::CrLf;
    if (!k_.port.isOpen() && ui.cboPort.text() != PortSelectors::NoPortText) k_.port.open();
}

void UploadDriver::SetupProgressBar() {
    Control& bar = k_.ui.ProgressBar1;
    bar.setValue(0);
    bar.setMaximum(int(std::min<size_t>(k_.state.imageText.size(), INT_MAX)));
    bar.setMinimum(0);
}

void UploadDriver::cmdStartUploadButton_Click() {
    // Nothing may escape a click: every failure ends the upload here, reported.
    try {
        RunUpload();
    } catch (const HostError& e) {
        EndWithError(e.number(), e.reason());
    } catch (const std::bad_alloc& e) {
        EndWithError(ErrorNumber::OutOfMemory, e.what());
    } catch (const std::exception& e) {
        EndWithError(InternalErrorNumber, e.what());
    } catch (...) {
        EndWithError(InternalErrorNumber, {});
    }
    try {
        k_.result.Publish();
    } catch (...) {
        // The result is told where it can be; the verdict stands without it.
    }
}

void UploadDriver::EndWithError(int number, const std::string& reason) {
    // The error path itself talks to the port; a second failure there must not
    // leave the window locked.
    auto guarded = [](auto&& step) {
        try {
            step();
        } catch (...) {
        }
    };
    guarded([&] { k_.errors.ReportError(number, reason); });
    k_.errors.HoldRepeatsOf(number, reason);
    guarded([&] { k_.result.End(UploadResult::Ending::Error); });
    guarded([&] { k_.stopAbort.UnlockControls(); });
    guarded([&] { k_.channel.ClearTerminal(); });
    k_.errors.ReleaseRepeats();
}

void UploadDriver::RejectFile(const std::string& message) {
    k_.errors.DeliverMessage(message);
    if (!k_.state.autoMode) k_.channel.ClearTerminal();
}

void UploadDriver::RunUpload() {
    State& s = k_.state;
    Controls& ui = k_.ui;
    CommandChannel& channel = k_.channel;
    StopAbort& stop = k_.stopAbort;
    UploadResult& result = k_.result;
    using Ending = UploadResult::Ending;

    PrepareUpload();

    k_.commandLine.ValidateCommandLinePort();
    if (s.stopRequested) {
        result.End(Ending::InvalidPort);
        channel.ClearTerminal();
        s.stopRequested = false;
        stop.UnlockControls();
        return;
    }

    if (ui.txtUploadPath.text().empty()) {
        result.End(Ending::NoFile);
        stop.UnlockControls();
        s.appExitCode = 7;
        RejectFile(NoFileMessage);
        return;
    }

    result.EnterPhase(UploadResult::Phase::LoadingFile);
    ui.txtTerminal.setText(LoadingText);
    channel.DoEvents();
    k_.image.LoadImageFile();
    result.File(s.uploadPath, int64_t(s.imageText.size()), ImageFile::DeclaredChecksum(s.imageText));
    if (s.stopRequested) {
        result.End(Ending::Error);
        channel.ClearTerminal();
        stop.AbortUpload();
        s.stopRequested = false;
        return;
    }

    if (!Text::startsWith(s.imageText, ImageFile::Header)) {
        // The code is set first: a port failure while unlocking reports its own.
        s.appExitCode = 5;
        result.End(Ending::NotAnImage);
        stop.UnlockControls();
        RejectFile(NotAnImageMessage);
        return;
    }
    k_.recentFiles.Remember(s.uploadPath);

    k_.image.GetImageChecksum();
    // Fixed from here on: the history keeps it whatever the upload comes to.
    result.Checksums(ui.txtFileChecksum.text(), {});
    if (s.stopRequested) {
        result.End(Ending::ArgumentMismatch);
        // The stop request stays set until the next upload starts.
        stop.AbortUpload();
        return;
    }
    SetupProgressBar();

    // In the Manual view the operator has prepared the loader by hand.
    if (!ui.mnuManual.checked()) {
        if (!LineCarriesUpload()) {
            result.End(Ending::LineRate);
            stop.UnlockControls();
            return;
        }
        if (!BringCpuIntoLoader()) {
            result.End(s.commFailed ? loaderRequestsFailed_ ? Ending::NoLoader : Ending::NoAnswer : Ending::Stopped);
            stop.AbortUpload();
            s.stopRequested = false;
            return;
        }
        k_.unlockErase.UnlockAndEraseAppBlock();
    }

    k_.transfer.TransferImage();
    if (s.stopRequested) {
        result.End(s.commFailed ? Ending::TransferFailed : Ending::Stopped);
        stop.AbortUpload();
        s.stopRequested = false;
        return;
    }

    s.transferActive = false;
    result.EnterPhase(UploadResult::Phase::AwaitingChecksum);
    channel.DoEvents();
    channel.WaitUntil(ChecksumReportSeconds, [&] { return s.commFailed || channel.BufferEndsWith({">"}); });
    // A line that failed during the wait has told nothing about the image: no verdict.
    if (s.commFailed) {
        result.End(Ending::TransferFailed);
        s.stopRequested = true;
        stop.AbortUpload();
        s.stopRequested = false;
        return;
    }

    k_.readback.ReadBackChecksum();

    const std::string expected = ui.txtFileChecksum.text();
    const std::string returned = ui.txtAppCheckSum.text();
    result.Checksums(expected, returned);
    if (returned != expected && expected != ImageFile::UnknownChecksum) {
        s.appExitCode = 2;
        result.End(Ending::Mismatch);
        k_.errors.DeliverMessage(MismatchMessage + std::string(ExpectedLabel) + expected + Text::CrLf + ReturnedLabel +
                    returned + Text::CrLf);
        s.stopRequested = true;
        stop.AbortUpload();
        return;
    }
    FinishUpload(expected, returned);
}

bool UploadDriver::LineCarriesUpload() {
    State& s = k_.state;
    const int fixed = k_.port.fixedBaud();
    if (fixed == 0) return true;
    // Refused before anything reaches the device: the transfer's rate, and the rate the
    // loader is to be set back to, are the only ones the line must carry.
    std::string why = k_.port.rateLimit(std::atoi(PortSelectors::Baud57600));
    if (why.empty() && s.baudGiven) why = k_.port.rateLimit(std::atoi(s.iosResetBaud.c_str()));
    if (!why.empty()) {
        s.appExitCode = PortExitCode;
        k_.errors.DeliverMessage(std::string(FixedRateMessage) + Text::CrLf + why);
        k_.result.LineRateRefused(why);
        return false;
    }
    k_.log.AppendLog(FixedRateNote + std::to_string(fixed));
    return true;
}

bool UploadDriver::BringCpuIntoLoader() {
    State& s = k_.state;
    std::string cpuState;
    int16_t retryCount = 0;
    // A line at a fixed rate is probed at that rate only.
    const auto& rates = k_.ui.cboBaud.entries();
    const auto fixedAt = std::find(rates.begin(), rates.end(), std::to_string(k_.port.fixedBaud()));
    const bool fixedRate = k_.port.fixedBaud() != 0 && fixedAt != rates.end();
    const int16_t firstIndex = fixedRate ? int16_t(fixedAt - rates.begin()) : 0;
    auto nextIndex = [fixedRate](int16_t& index) {
        if (!fixedRate) MoveBaudIndex(index);
    };
    int16_t baudIndex = firstIndex;
    int loaderRequests = 0;
    loaderRequestsFailed_ = false;
    for (;;) {
        if (k_.ui.mnuAuto.checked()) k_.detection.DetectCpuState(cpuState, baudIndex);

        if (cpuState == CpuState::InIos) {
            k_.keys.NegotiateIosBaud();
            return true;
        }
        if (cpuState == CpuState::InIos57600) return true;
        if (cpuState == CpuState::NoResponse) {
            ++retryCount;
            nextIndex(baudIndex);
            if (retryCount > MaxSilentProbes && s.receiveBuffer.empty()) {
                s.commFailed = true;
                s.stopRequested = true;
                return false;
            }
            continue;
        }
        if (cpuState == CpuState::DontKnow) {
            ++retryCount;
            nextIndex(baudIndex);
            // Perhaps a loader whose answers are garbled; try it at the last rate.
            if (retryCount > MaxUnknownReplies) return true;
            continue;
        }
        if (cpuState == CpuState::StopNow) return false;
        if (cpuState == CpuState::SendIos) {
            retryCount = 0;
            baudIndex = firstIndex;
        }
        if (s.autoMode && loaderRequests == MaxLoaderRequests) {
            k_.log.AppendLog(NoLoaderHead + std::to_string(MaxLoaderRequests) + NoLoaderTail);
            loaderRequestsFailed_ = true;
            k_.result.EnterPhase(UploadResult::Phase::EnteringLoader);
            s.commFailed = true;
            s.stopRequested = true;
            return false;
        }
        ++loaderRequests;
        k_.result.LoaderRequested();
        k_.iosEntry.EnterIos();
        if (IosEntry::LoaderAt57600(s.iosBaud)) return true;
    }
}

void UploadDriver::FinishUpload(const std::string& expected, const std::string& returned) {
    State& s = k_.state;
    Control& pane = k_.ui.txtTerminal;

    const std::string target = s.baudGiven ? s.iosResetBaud : s.foundBaud;
    if (target != PortSelectors::Baud57600) {
        k_.result.LoaderRateSetBack(target);
        k_.result.EnterPhase(UploadResult::Phase::RestoringRate);
        pane.appendText(Text::CrLf + std::string(RestoreText) + target + Text::CrLf);
        k_.channel.DoEvents();
        if (k_.port.isOpen()) k_.port.write(LoaderTexts::SetBaudCommand + target + "\r");
    }
    if (!s.noReboot && k_.ui.chkRestarttoApp.checked()) k_.readback.RestartToApp();
    k_.ui.ProgressBar1.setValue(0);
    k_.stopAbort.UnlockControls();

    const bool known = expected != ImageFile::UnknownChecksum;
    const bool success = returned == expected || (!known && !returned.empty());
    k_.result.End(success ? UploadResult::Ending::Success : UploadResult::Ending::NoChecksum);
    if (success) {
        s.appExitCode = 0;
        if (s.autoMode) {
            k_.log.AppendLog(SuccessLogMessage);
        } else {
            if (s.outputToFile) k_.log.AppendLog(SuccessMessage);
            pane.appendText(std::string("\r\n\r\n") + SuccessMessage);
        }
    }
    k_.host.beep();
    if (s.outputToFile && !s.autoMode) k_.log.WriteLogFile();
}
