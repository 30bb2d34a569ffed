#pragma once

// Texts of the loader's dialogue that several components share. Every text is
// 8-bit and compared exactly, letter case included.
namespace LoaderTexts {

// Prompts: the loader waits for a command; the application waits for a command
// (a trailing blank, so "IOS>" followed by a blank matches it too).
constexpr const char* IosPrompt = "IOS>";
constexpr const char* AppPrompt = "OS> ";
// The loader asks for the unlock word, to be typed back with CR LF.
constexpr const char* KeyPrompt = "key: ";

// The loader's access code, and its variant with "m" after the eleventh character.
constexpr const char* UnlockWord = "01KwgTHs837RyuLdXsZBov64";
constexpr const char* UnlockWordM = "01KwgTHs837mRyuLdXsZBov64";

// Key challenges: the loader prints the word and a colon and waits for the word
// typed back without a line end. The tails are what identifies each form.
constexpr const char* ChallengeTailM = "mRyuLdXsZBov64 :";
constexpr const char* ChallengeTailPlain = "RyuLdXsZBov64: ";
constexpr const char* ChallengePromptM = "01KwgTHs837mRyuLdXsZBov64 :";
constexpr const char* ChallengePromptPlainBlankColon = "01KwgTHs837RyuLdXsZBov64 :";
constexpr const char* ChallengePromptPlain = "01KwgTHs837RyuLdXsZBov64: ";

// The byte the CPU may send while it restarts.
constexpr char RestartByte = '\xFF';

// Commands. None carries a line end of its own; each sender adds what the device needs.
// Prods the CPU: the application echoes it, the loader and the application show a prompt.
constexpr const char* WakeCommand = "X";
// Asks the loader for a prompt or a key challenge; it echoes it.
constexpr const char* ChallengeRequest = "x";
// Asks the application to leave for the loader.
constexpr const char* EnterLoaderCommand = "~ios!";
// Stores the loader's baud rate; the rate follows it ("Sy57600").
constexpr const char* SetBaudCommand = "Sy";
// Erases the application block, asking for the key first when the loader wants it.
constexpr const char* EraseCommand = "py";
// Restarts the loader (at its stored rate) or, after an upload, into the application.
constexpr const char* RestartCommand = "b";

// The erase answer's line ends in "mode."; seen before and after its CR LF arrived.
constexpr const char* EraseDone = "mode.";
constexpr const char* EraseDoneLine = "de.\r\n";

}  // namespace LoaderTexts
