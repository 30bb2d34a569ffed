#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "app/OutputLog.h"

#include <stdexcept>

#include "app/Engine.h"

void OutputLog::AppendLog(const std::string& text) { throw std::logic_error("OutputLog::AppendLog is not built yet"); }
void OutputLog::WriteLogFile() { throw std::logic_error("OutputLog::WriteLogFile is not built yet"); }
