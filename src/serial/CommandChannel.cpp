#include "serial/CommandChannel.h"

#include <cmath>
#include <exception>

#include "app/Engine.h"
#include "app/HostError.h"
#include "app/Text.h"
#include "ios/LoaderTexts.h"

namespace {

// The loader's acknowledgement byte is "." with its top bit set.
constexpr char AckHighBit = '\xAE';
constexpr const char* AckDot = ".";

// After a send with the terminal off, the port stays open this long for the reply.
constexpr double ReplyGraceSeconds = 0.1;
// The recovery after Stop: time for the CPU to answer the prod, then for the line end.
constexpr double RecoveryProdSeconds = 1;
constexpr double RecoveryLineEndSeconds = 0.5;

constexpr int PromptWaitSeconds = 1;

}  // namespace

void CommandChannel::MSComm1_OnComm() {
    State& s = k_.state;
    try {
        // During a transfer one character per event, so a lone acknowledgement byte is
        // seen on its own and shown as ".".
        s.receivedChunk = k_.port.read(s.transferActive ? 1 : 0);
        if (s.uploadBusy) k_.result.Received(s.receivedChunk);
        if (s.receivedChunk.size() == 1 && s.receivedChunk[0] == AckHighBit) s.receivedChunk = AckDot;
        const std::string& chunk = s.receivedChunk;

        // A full pane drops its oldest characters and the buffer is emptied with it, but
        // what this event brought stays in the buffer: a wait may be looking for it.
        Control& pane = k_.ui.txtTerminal;
        if (pane.text().size() >= PaneLimit) {
            pane.setText(pane.text().substr(PaneTrim));
            s.receiveBuffer.clear();
            trimmed_ += static_cast<int64_t>(PaneTrim);
        }
        if (!s.transferActive) s.receiveBuffer += chunk;
        if (!s.noTerminalLog && s.outputToFile && !k_.ui.cmdStartUploadButton.enabled()) s.logText += chunk;

        const size_t held = pane.text().size();
        if (held + chunk.size() <= PaneLimit) {
            pane.appendText(chunk);
        } else {
            // One read brought more than the pane holds: it keeps only the newest
            // characters, so no later event has to copy more than the pane's limit.
            const size_t excess = held + chunk.size() - PaneLimit;
            pane.setText(excess >= held ? chunk.substr(excess - held) : pane.text().substr(excess) + chunk);
            trimmed_ += static_cast<int64_t>(excess);
        }
    } catch (const std::exception& e) {
        k_.result.LineFailed(e.what());
        s.commFailed = true;
        k_.stopAbort.cmdStopUploadButton_Click();
        ClearReceiveBuffer();
        ClearTerminal();
    }
}

void CommandChannel::SendText(std::string& text) {
    State& s = k_.state;
    const bool wasOn = s.termMode;
    if (!s.termMode && !s.uploadBusy) k_.terminalMode.mnuTermModeOn_Click();
    if (k_.port.isOpen()) k_.port.write(text);
    if (!wasOn && !s.uploadBusy) {
        while (k_.port.waiting() > 0) DoEvents();
        Delay(ReplyGraceSeconds);
        k_.terminalMode.mnuTermModeOff_Click();
    }
}

void CommandChannel::ClearReceiveBuffer() {
    k_.state.receivedChunk.clear();
    k_.state.receiveBuffer.clear();
}

void CommandChannel::ClearTerminal() { k_.ui.txtTerminal.setText({}); }

double CommandChannel::Seconds() const { return static_cast<double>(k_.host.clockMs()) / 1000.0; }

void CommandChannel::MarkTime() {
    // Whole seconds, halves to even.
    const int64_t ms = k_.host.clockMs();
    int64_t whole = ms / 1000;
    const int64_t rest = ms % 1000;
    if (rest > 500 || (rest == 500 && whole % 2 != 0)) ++whole;
    k_.state.timerStart = static_cast<int32_t>(whole);
}

bool CommandChannel::TimedOut(int limitSeconds) const {
    return k_.host.clockMs() > (static_cast<int64_t>(k_.state.timerStart) + limitSeconds) * 1000;
}

void CommandChannel::DoEvents() { k_.host.yield(); }

bool CommandChannel::WaitUntil(int limitSeconds, const std::function<bool()>& done) {
    MarkTime();
    for (;;) {
        if (done()) return true;
        if (TimedOut(limitSeconds)) return false;
        DoEvents();
    }
}

bool CommandChannel::BufferEndsWith(std::initializer_list<std::string_view> tails) const {
    const std::string_view buffer = k_.state.receiveBuffer;
    for (std::string_view tail : tails)
        if (buffer.size() >= tail.size() && buffer.substr(buffer.size() - tail.size()) == tail) return true;
    return false;
}

void CommandChannel::WaitForPrompt() {
    using namespace LoaderTexts;
    for (;;) {
        // An echo of either prod, a prompt or a key challenge ends it.
        if (BufferEndsWith({ChallengeRequest, WakeCommand, IosPrompt, AppPrompt, ChallengePromptM,
                            ChallengePromptPlain}) ||
            TimedOut(PromptWaitSeconds) || k_.state.stopRequested)
            return;
        DoEvents();
    }
}

void CommandChannel::Delay(double seconds) {
    k_.state.delayActive = true;
    k_.ui.TimerDelay.setInterval(static_cast<int>(std::lround(seconds * 1000)));
    k_.ui.TimerDelay.setEnabled(true);
    while (k_.state.delayActive) DoEvents();
}

void CommandChannel::TimerDelay_Timer() {
    k_.state.delayActive = false;
    k_.ui.TimerDelay.setEnabled(false);
}

void CommandChannel::Timer1_Timer() {
    // The recovery waits on the CPU for longer than the timer's period; a tick that
    // comes meanwhile must not start another.
    if (recoveryRunning_) return;
    recoveryRunning_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{recoveryRunning_};

    State& s = k_.state;
    try {
        s.transferActive = false;
        s.receiveBuffer.clear();
        s.commandText = std::string(Text::CrLf) + LoaderTexts::WakeCommand;
        SendText(s.commandText);
        DoEvents();
        Delay(RecoveryProdSeconds);
        k_.keys.AnswerKeyChallenge();
        s.commandText = Text::CrLf;
        SendText(s.commandText);
        Delay(RecoveryLineEndSeconds);
        k_.selectors.ApplyPortSettings();
        k_.ui.Timer1.setEnabled(false);
    } catch (const HostError& e) {
        // Runs from a timer, outside any dialogue that could take the failure.
        k_.ui.Timer1.setEnabled(false);
        k_.errors.ReportError(e.number(), e.reason());
    }
}
