#pragma once

#include <string>

class Engine;

// Turns a failure's number into the program's message and exit code.
class ErrorReporter {
public:
    explicit ErrorReporter(Engine& k) : k_(k) {}

    // reason is the host's own text for the failure, if any.
    void ReportError(int errorNumber, const std::string& reason = {});

private:
    Engine& k_;
};
