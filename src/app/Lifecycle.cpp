#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "app/Lifecycle.h"

#include <stdexcept>

#include "app/Engine.h"

void Lifecycle::Form_Load() { throw std::logic_error("Lifecycle::Form_Load is not built yet"); }
void Lifecycle::cmdExitButton_GotFocus() { throw std::logic_error("Lifecycle::cmdExitButton_GotFocus is not built yet"); }
void Lifecycle::cmdExitButton_Click() { throw std::logic_error("Lifecycle::cmdExitButton_Click is not built yet"); }
void Lifecycle::mnuExit_Click() { throw std::logic_error("Lifecycle::mnuExit_Click is not built yet"); }
void Lifecycle::Form_QueryUnload(bool& cancel) { throw std::logic_error("Lifecycle::Form_QueryUnload is not built yet"); }
void Lifecycle::Form_Unload() { throw std::logic_error("Lifecycle::Form_Unload is not built yet"); }
void Lifecycle::mnuAuto_Click() { throw std::logic_error("Lifecycle::mnuAuto_Click is not built yet"); }
void Lifecycle::mnuManual_Click() { throw std::logic_error("Lifecycle::mnuManual_Click is not built yet"); }
void Lifecycle::mnuAbout_Click() { throw std::logic_error("Lifecycle::mnuAbout_Click is not built yet"); }
