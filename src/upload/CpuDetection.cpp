#include "upload/CpuDetection.h"

#include "app/Engine.h"
#include "app/Text.h"
#include "ios/LoaderTexts.h"

namespace {
// Settling time around the probe: the port has just changed its rate, and a CPU
// that answers late should still land in this probe, not the next.
constexpr double SettleSeconds = 0.5;
}  // namespace

void CpuDetection::DetectCpuState(std::string& state, int16_t& index) {
    State& s = k_.state;
    CommandChannel& channel = k_.channel;

    k_.ui.cboBaud.setText(k_.ui.cboBaud.entries().at(size_t(index)));
    k_.result.Probing(k_.ui.cboBaud.text());
    channel.Delay(SettleSeconds);
    channel.ClearTerminal();
    channel.ClearReceiveBuffer();
    s.commandText = std::string(LoaderTexts::WakeCommand) + Text::CrLf;
    channel.SendText(s.commandText);

    channel.DoEvents();
    channel.MarkTime();
    channel.DoEvents();
    channel.WaitForPrompt();
    channel.DoEvents();
    channel.Delay(SettleSeconds);

    // Looked at only now, so a probe always goes out before a stop is noticed.
    if (s.stopRequested) {
        state = CpuState::StopNow;
        return;
    }

    k_.keys.AnswerKeyChallenge();
    channel.DoEvents();

    using namespace LoaderTexts;
    // The application echoes the probe without showing a prompt.
    if (channel.BufferEndsWith({WakeCommand})) {
        state = CpuState::SendIos;
        return;
    }
    if (channel.BufferEndsWith({AppPrompt, IosPrompt, ChallengePromptM, ChallengePromptPlain})) {
        if (!s.baudGiven) s.foundBaud = k_.ui.cboBaud.text();
        // "OS> " ends the loader's "IOS> " as well.
        const std::string loaderPrompt = std::string(IosPrompt) + " ";
        const bool application = channel.BufferEndsWith({AppPrompt}) && !channel.BufferEndsWith({loaderPrompt});
        k_.result.CpuAnswered(!application, k_.ui.cboBaud.text());
        if (index >= 0 && index <= 2)
            state = CpuState::InIos;
        else if (index == 3)
            state = CpuState::InIos57600;
        return;
    }
    if (s.receiveBuffer.empty()) {
        state = CpuState::NoResponse;
        return;
    }
    state = CpuState::DontKnow;
    channel.ClearReceiveBuffer();
}
