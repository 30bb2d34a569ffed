#include "ios/KeyExchange.h"

#include <string>

#include "app/Engine.h"
#include "app/Text.h"
#include "ios/LoaderTexts.h"

using namespace LoaderTexts;

namespace {

constexpr const char* KeyRequest = "ey";
constexpr const char* NegotiationProgress = "IOS set to 9600 resetting to 57600";

constexpr int ChallengeAnswerSeconds = 3;
constexpr double AfterChallengeSeconds = 1;
constexpr int KeyPromptSeconds = 1;
constexpr int AfterKeySeconds = 6;
constexpr int AfterBaudCommandSeconds = 2;
// The loader restarts at the new rate before it shows its prompt again.
constexpr int AfterRestartSeconds = 7;

}  // namespace

void KeyExchange::AnswerKeyChallenge() {
    CommandChannel& ch = k_.channel;
    State& s = k_.state;
    const std::string restartByte(1, RestartByte);

    // Each form's answer is awaited until the loader shows a prompt or challenges again;
    // the two forms end their waits on different spellings of the plain challenge.
    if (ch.BufferEndsWith({ChallengeTailM})) {
        s.commandText = UnlockWordM;
        ch.SendText(s.commandText);
        ch.WaitUntil(ChallengeAnswerSeconds, [&] {
            return ch.BufferEndsWith({ChallengeRequest, IosPrompt, AppPrompt, restartByte, ChallengePromptM,
                                      ChallengePromptPlainBlankColon}) ||
                   s.stopRequested;
        });
        ch.Delay(AfterChallengeSeconds);
    }
    // The loader may ask the plain form right after the "m" form was answered.
    if (ch.BufferEndsWith({ChallengeTailPlain})) {
        s.commandText = UnlockWord;
        ch.SendText(s.commandText);
        ch.WaitUntil(ChallengeAnswerSeconds, [&] {
            return ch.BufferEndsWith(
                       {ChallengeRequest, IosPrompt, AppPrompt, restartByte, ChallengePromptM, ChallengePromptPlain}) ||
                   s.stopRequested;
        });
        ch.Delay(AfterChallengeSeconds);
    }
}

void KeyExchange::NegotiateIosBaud() {
    CommandChannel& ch = k_.channel;
    State& s = k_.state;
    if (s.stopRequested) return;

    k_.result.EnterPhase(UploadResult::Phase::RaisingRate);
    AnswerKeyChallenge();
    if (!ch.BufferEndsWith({IosPrompt, AppPrompt})) {
        ch.ClearReceiveBuffer();
        return;
    }
    k_.ui.txtTerminal.setText(NegotiationProgress);
    ch.ClearReceiveBuffer();

    // Once started the stage runs to its end: the loader is left mid-change otherwise.
    if (k_.port.isOpen()) k_.port.write(KeyRequest);
    ch.DoEvents();
    ch.WaitUntil(KeyPromptSeconds, [&] { return ch.BufferEndsWith({KeyPrompt, IosPrompt, AppPrompt}); });
    const bool keyAsked = ch.BufferEndsWith({KeyPrompt});
    if (keyAsked) k_.port.write(std::string(UnlockWord) + Text::CrLf);
    const bool answered = ch.WaitUntil(AfterKeySeconds, [&] { return ch.BufferEndsWith({IosPrompt, AppPrompt}); });
    if (keyAsked) k_.result.KeyAnswered(answered);

    ch.ClearReceiveBuffer();
    if (k_.port.isOpen())
        k_.port.write(std::string(SetBaudCommand) + PortSelectors::Baud57600 + Text::CrLf);
    ch.WaitUntil(AfterBaudCommandSeconds, [&] { return ch.BufferEndsWith({IosPrompt, AppPrompt}); });

    ch.ClearReceiveBuffer();
    s.commandText = RestartCommand;
    ch.SendText(s.commandText);
    k_.ui.cboBaud.setText(PortSelectors::Baud57600);
    s.iosBaud = PortSelectors::Baud57600;
    k_.result.LoaderMoved(PortSelectors::Baud57600);

    ch.DoEvents();
    ch.WaitUntil(AfterRestartSeconds, [&] { return ch.BufferEndsWith({IosPrompt, AppPrompt}); });
    ch.ClearReceiveBuffer();
}
