#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "ios/EngineeringCommands.h"

#include <stdexcept>

#include "app/Engine.h"

void EngineeringCommands::cmdConfirmationKey_Click() { throw std::logic_error("EngineeringCommands::cmdConfirmationKey_Click is not built yet"); }
void EngineeringCommands::cmdMagicWordButton_Click() { throw std::logic_error("EngineeringCommands::cmdMagicWordButton_Click is not built yet"); }
void EngineeringCommands::cmdSendIOSButton_Click() { throw std::logic_error("EngineeringCommands::cmdSendIOSButton_Click is not built yet"); }
void EngineeringCommands::cmdResetBaudButton_Click() { throw std::logic_error("EngineeringCommands::cmdResetBaudButton_Click is not built yet"); }
void EngineeringCommands::cmdRebootButton_Click() { throw std::logic_error("EngineeringCommands::cmdRebootButton_Click is not built yet"); }
void EngineeringCommands::cmdSplashButton_Click() { throw std::logic_error("EngineeringCommands::cmdSplashButton_Click is not built yet"); }
void EngineeringCommands::cmdEraseJournalButton_Click() { throw std::logic_error("EngineeringCommands::cmdEraseJournalButton_Click is not built yet"); }
