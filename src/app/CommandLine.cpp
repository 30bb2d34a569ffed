#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "app/CommandLine.h"

#include <stdexcept>

#include "app/Engine.h"

void CommandLine::ParseCommandLine(bool& argcmdMode, std::string& argPathResult, std::string& argResult) { throw std::logic_error("CommandLine::ParseCommandLine is not built yet"); }
void CommandLine::ApplyCommandLine() { throw std::logic_error("CommandLine::ApplyCommandLine is not built yet"); }
void CommandLine::ValidateCommandLinePort() { throw std::logic_error("CommandLine::ValidateCommandLinePort is not built yet"); }
void CommandLine::ShowUsage() { throw std::logic_error("CommandLine::ShowUsage is not built yet"); }
