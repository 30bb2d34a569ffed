#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "ios/UnlockErase.h"

#include <stdexcept>

#include "app/Engine.h"

void UnlockErase::UnlockAndEraseAppBlock() { throw std::logic_error("UnlockErase::UnlockAndEraseAppBlock is not built yet"); }
