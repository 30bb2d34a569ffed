#pragma once

#include <string>

class Engine;

// The output log: entries collected in logText, written to the -o file.
class OutputLog {
public:
    explicit OutputLog(Engine& k) : k_(k) {}

    void AppendLog(const std::string& text);
    void WriteLogFile();

private:
    Engine& k_;
};
