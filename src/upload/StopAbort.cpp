#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "upload/StopAbort.h"

#include <stdexcept>

#include "app/Engine.h"

void StopAbort::cmdStopUploadButton_Click() { throw std::logic_error("StopAbort::cmdStopUploadButton_Click is not built yet"); }
void StopAbort::AbortUpload() { throw std::logic_error("StopAbort::AbortUpload is not built yet"); }
void StopAbort::UnlockControls() { throw std::logic_error("StopAbort::UnlockControls is not built yet"); }
