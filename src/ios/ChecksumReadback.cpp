#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "ios/ChecksumReadback.h"

#include <stdexcept>

#include "app/Engine.h"

void ChecksumReadback::ReadBackChecksum() { throw std::logic_error("ChecksumReadback::ReadBackChecksum is not built yet"); }
void ChecksumReadback::RestartToApp() { throw std::logic_error("ChecksumReadback::RestartToApp is not built yet"); }
