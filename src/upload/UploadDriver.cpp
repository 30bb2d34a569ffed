#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "upload/UploadDriver.h"

#include <stdexcept>

#include "app/Engine.h"

void UploadDriver::cmdStartUploadButton_Click() { throw std::logic_error("UploadDriver::cmdStartUploadButton_Click is not built yet"); }
void UploadDriver::PrepareUpload() { throw std::logic_error("UploadDriver::PrepareUpload is not built yet"); }
void UploadDriver::SetupProgressBar() { throw std::logic_error("UploadDriver::SetupProgressBar is not built yet"); }
