#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "terminal/TerminalPane.h"

#include <stdexcept>

#include "app/Engine.h"

void TerminalPane::txtTerminal_KeyPress(int16_t keyAscii) { throw std::logic_error("TerminalPane::txtTerminal_KeyPress is not built yet"); }
