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

private:
    Engine& k_;
};
