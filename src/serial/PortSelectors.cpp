#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "serial/PortSelectors.h"

#include <stdexcept>

#include "app/Engine.h"

void PortSelectors::FillPortAndBaudLists() { throw std::logic_error("PortSelectors::FillPortAndBaudLists is not built yet"); }
void PortSelectors::PortSelectionChanged() { throw std::logic_error("PortSelectors::PortSelectionChanged is not built yet"); }
void PortSelectors::ShowPortNumber() { throw std::logic_error("PortSelectors::ShowPortNumber is not built yet"); }
void PortSelectors::BaudSelectionChanged() { throw std::logic_error("PortSelectors::BaudSelectionChanged is not built yet"); }
void PortSelectors::SetBaud9600() { throw std::logic_error("PortSelectors::SetBaud9600 is not built yet"); }
void PortSelectors::SetBaud19200() { throw std::logic_error("PortSelectors::SetBaud19200 is not built yet"); }
void PortSelectors::SetBaud38400() { throw std::logic_error("PortSelectors::SetBaud38400 is not built yet"); }
void PortSelectors::SetBaud57600() { throw std::logic_error("PortSelectors::SetBaud57600 is not built yet"); }
void PortSelectors::ApplyPortSettings() { throw std::logic_error("PortSelectors::ApplyPortSettings is not built yet"); }
