#include "ios/EngineeringCommands.h"

#include <string>

#include "app/Engine.h"
#include "app/Text.h"
#include "ios/LoaderTexts.h"

using namespace LoaderTexts;

namespace {

// Shows the enclosure's splash screen; the device takes it in lower case.
constexpr const char* SplashCommand = "~scr!";
// The button's rate command ends with a CR alone.
constexpr const char* CarriageReturn = "\r";

// Time for the CPU to show a key challenge after the prod.
constexpr double ChallengeDelaySeconds = 0.5;
constexpr int EraseSeconds = 6;

}  // namespace

// The buttons do nothing while an upload runs; otherwise each starts from an empty
// buffer and sends its command.
void EngineeringCommands::cmdConfirmationKey_Click() {
    if (k_.state.uploadBusy) return;
    k_.channel.ClearReceiveBuffer();
    std::string text = std::string(UnlockWord) + Text::CrLf;
    k_.channel.SendText(text);
}

void EngineeringCommands::cmdMagicWordButton_Click() {
    if (k_.state.uploadBusy) return;
    k_.channel.ClearReceiveBuffer();
    std::string text = WakeCommand;
    k_.channel.SendText(text);
    k_.channel.Delay(ChallengeDelaySeconds);
    k_.keys.AnswerKeyChallenge();
    text = Text::CrLf;
    k_.channel.SendText(text);
}

void EngineeringCommands::cmdSendIOSButton_Click() {
    if (k_.state.uploadBusy) return;
    k_.channel.ClearReceiveBuffer();
    std::string text = EnterLoaderCommand;
    k_.channel.SendText(text);
}

void EngineeringCommands::cmdResetBaudButton_Click() {
    if (k_.state.uploadBusy) return;
    k_.channel.ClearReceiveBuffer();
    std::string text = std::string(SetBaudCommand) + PortSelectors::Baud57600 + CarriageReturn;
    k_.channel.SendText(text);
}

void EngineeringCommands::cmdRebootButton_Click() {
    if (k_.state.uploadBusy) return;
    k_.channel.ClearReceiveBuffer();
    std::string text = RestartCommand;
    k_.channel.SendText(text);
}

void EngineeringCommands::cmdSplashButton_Click() {
    if (k_.state.uploadBusy) return;
    k_.channel.ClearReceiveBuffer();
    std::string text = SplashCommand;
    k_.channel.SendText(text);
}

void EngineeringCommands::cmdEraseJournalButton_Click() {
    CommandChannel& ch = k_.channel;
    if (k_.state.uploadBusy) return;
    ch.ClearReceiveBuffer();
    std::string text = EraseCommand;
    ch.SendText(text);
    ch.DoEvents();
    ch.WaitUntil(EraseSeconds, [&] { return ch.BufferEndsWith({EraseDone, KeyPrompt}); });
    if (!ch.BufferEndsWith({KeyPrompt})) return;
    // With the terminal off the port has closed again after the send; writing to it
    // then would end the program with a port error.
    if (k_.port.isOpen()) k_.port.write(std::string(UnlockWord) + Text::CrLf);
    ch.WaitUntil(EraseSeconds, [&] { return ch.BufferEndsWith({EraseDone}); });
}
