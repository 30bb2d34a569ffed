#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "serial/ErrorReporter.h"

#include <stdexcept>

#include "app/Engine.h"

void ErrorReporter::ReportError(int errorNumber, const std::string& reason) { throw std::logic_error("ErrorReporter::ReportError is not built yet"); }
