#include "upload/IosEntry.h"

#include <cstdlib>

#include "app/Engine.h"
#include "ios/LoaderTexts.h"

namespace {
constexpr double SettleSeconds = 0.5;
}  // namespace

bool IosEntry::LoaderAt57600(const std::string& iosBaud) { return std::strtol(iosBaud.c_str(), nullptr, 10) == 57600; }

void IosEntry::EnterIos() {
    State& s = k_.state;
    CommandChannel& channel = k_.channel;
    if (s.stopRequested) return;

    channel.ClearTerminal();
    channel.ClearReceiveBuffer();
    channel.DoEvents();
    if (k_.port.isOpen()) k_.port.write(LoaderTexts::EnterLoaderCommand);
    channel.DoEvents();

    // The loader answers at its stored rate: 9600, unless this upload has already
    // moved it to 57600.
    const auto& rates = k_.ui.cboBaud.entries();
    k_.ui.cboBaud.setText(rates.at(0));
    if (LoaderAt57600(s.iosBaud)) k_.ui.cboBaud.setText(rates.at(3));

    // Until the loader shows itself, or the CPU sends its restart byte.
    using namespace LoaderTexts;
    const std::string restartByte(1, RestartByte);
    channel.WaitUntil(LoaderStartSeconds, [&] {
        return channel.BufferEndsWith({IosPrompt, AppPrompt, ChallengePromptM, ChallengePromptPlain, restartByte}) ||
               s.stopRequested;
    });
    channel.Delay(SettleSeconds);
}
