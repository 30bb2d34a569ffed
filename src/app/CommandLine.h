#pragma once

#include <string>

class Engine;

// The command line: parsed at start-up, applied at the first focus of Exit.
class CommandLine {
public:
    explicit CommandLine(Engine& k) : k_(k) {}

    void ParseCommandLine(bool& argcmdMode, std::string& argPathResult, std::string& argResult);
    void ApplyCommandLine();
    void ValidateCommandLinePort();
    void ShowUsage();
    // The usage text and its title, for a run that has no window to show them in.
    static std::string UsageText();
    static std::string UsageTitle();

private:
    Engine& k_;
};
