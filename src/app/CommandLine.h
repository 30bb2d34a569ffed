#pragma once

#include <optional>
#include <string>

class Engine;
struct State;

// The command line: parsed at start-up, applied at the first focus of Exit.
class CommandLine {
public:
    explicit CommandLine(Engine& k) : k_(k) {}

    void ParseCommandLine(bool& argcmdMode, std::string& argPathResult, std::string& argResult);
    // Reads the raw text into the fields it sets, leaving the others as they are;
    // returns the -checksum value when one was given.
    static std::optional<std::string> Parse(const std::string& raw, bool keepNameCase, State& s, bool& cmdMode,
                                            std::string& path);
    // What a command line asks of a program that has not started yet: the same
    // reading as start-up's, so that one decision says whether a run is unattended.
    struct StartMode {
        bool unattended;
        bool usage;  // the usage text is all it asks for
    };
    static StartMode ModeOf(const std::string& raw);
    void ApplyCommandLine();
    void ValidateCommandLinePort();
    void ShowUsage();
    // The usage text and its title, for a run that has no window to show them in.
    static std::string UsageText();
    static std::string UsageTitle();

private:
    Engine& k_;
};
