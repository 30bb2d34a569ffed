#pragma once

#include <string>

class Engine;

// Turns a failure's number into the program's message and exit code.
class ErrorReporter {
public:
    explicit ErrorReporter(Engine& k) : k_(k) {}

    // reason is the host's own text for the failure, if any.
    void ReportError(int errorNumber, const std::string& reason = {});
    // A report: into the log in an unattended run, where nobody is there to close a
    // box; else in a box, and into the log too with -o.
    void DeliverMessage(const std::string& message);

private:
    Engine& k_;
};
