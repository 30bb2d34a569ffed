#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "upload/IosEntry.h"

#include <stdexcept>

#include "app/Engine.h"

void IosEntry::EnterIos() { throw std::logic_error("IosEntry::EnterIos is not built yet"); }
