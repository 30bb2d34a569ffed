#pragma once

#include <optional>
#include <string>
#include <utility>

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
    // While the error path of a reported failure runs, the same failure met again (the
    // port reapplied as the window is unlocked, failing as it did) is not reported twice.
    void HoldRepeatsOf(int errorNumber, const std::string& reason);
    void ReleaseRepeats();

private:
    Engine& k_;
    std::optional<std::pair<int, std::string>> held_;
};
