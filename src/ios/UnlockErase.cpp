#include "ios/UnlockErase.h"

#include <string>

#include "app/Engine.h"
#include "app/Text.h"
#include "ios/LoaderTexts.h"

using namespace LoaderTexts;

namespace {

constexpr const char* EraseProgress = "IOS set to 57600,uploading app code";
// While the loader answers "x", the pane shows only this much of the newest text.
constexpr size_t PromptFragment = 4;

constexpr int ChallengeSeconds = 3;
// Erasing the block takes the loader a while.
constexpr int EraseSeconds = 6;
// The loader's CR LF follows "mode." at once; one second is plenty for it.
constexpr int LineEndSeconds = 1;

}  // namespace

void UnlockErase::UnlockAndEraseAppBlock() {
    CommandChannel& ch = k_.channel;
    State& s = k_.state;
    if (s.stopRequested) return;

    k_.result.EnterPhase(UploadResult::Phase::UnlockingErasing);
    ch.ClearTerminal();
    ch.ClearReceiveBuffer();
    k_.ui.cboBaud.setText(PortSelectors::Baud57600);
    if (k_.port.isOpen()) k_.port.write(ChallengeRequest);

    ch.DoEvents();
    ch.MarkTime();
    for (;;) {
        if (ch.BufferEndsWith({IosPrompt, AppPrompt, ChallengePromptM, ChallengePromptPlain}) || s.stopRequested ||
            ch.TimedOut(ChallengeSeconds))
            break;
        const std::string& buffer = s.receiveBuffer;
        k_.ui.txtTerminal.setText(buffer.size() > PromptFragment ? buffer.substr(buffer.size() - PromptFragment)
                                                                 : buffer);
        ch.DoEvents();
    }

    k_.keys.AnswerKeyChallenge();
    k_.ui.txtTerminal.appendText(std::string(Text::CrLf) + EraseProgress);

    ch.DoEvents();
    if (k_.port.isOpen()) k_.port.write(EraseCommand);
    k_.result.EraseSent();
    ch.DoEvents();
    ch.WaitUntil(EraseSeconds, [&] { return ch.BufferEndsWith({EraseDoneLine, KeyPrompt}); });
    const bool keyAsked = ch.BufferEndsWith({KeyPrompt});
    if (keyAsked) {
        k_.port.write(std::string(UnlockWord) + Text::CrLf);
        const bool taken = ch.WaitUntil(EraseSeconds, [&] { return ch.BufferEndsWith({EraseDone, EraseDoneLine}); });
        k_.result.KeyAnswered(taken);
        // The transfer finds the acknowledgements at fixed places in the pane, so a line
        // end still on its way would shift them all: let it land first.
        if (ch.BufferEndsWith({EraseDone}))
            ch.WaitUntil(LineEndSeconds, [&] { return ch.BufferEndsWith({EraseDoneLine}); });
    }
    k_.result.EraseEnded(ch.BufferEndsWith({EraseDone, EraseDoneLine}));
}
