#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "terminal/TerminalMode.h"

#include <stdexcept>

#include "app/Engine.h"

void TerminalMode::mnuTermModeOn_Click() { throw std::logic_error("TerminalMode::mnuTermModeOn_Click is not built yet"); }
void TerminalMode::mnuTermModeOff_Click() { throw std::logic_error("TerminalMode::mnuTermModeOff_Click is not built yet"); }
void TerminalMode::mnudefault_Click() { throw std::logic_error("TerminalMode::mnudefault_Click is not built yet"); }
void TerminalMode::mnubluewhite_Click() { throw std::logic_error("TerminalMode::mnubluewhite_Click is not built yet"); }
void TerminalMode::mnublackwhite_Click() { throw std::logic_error("TerminalMode::mnublackwhite_Click is not built yet"); }
void TerminalMode::ApplyTerminalColors() { throw std::logic_error("TerminalMode::ApplyTerminalColors is not built yet"); }
