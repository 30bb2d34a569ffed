#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "images/UploadFileSelection.h"

#include <stdexcept>

#include "app/Engine.h"

void UploadFileSelection::optVarda_Click() { throw std::logic_error("UploadFileSelection::optVarda_Click is not built yet"); }
void UploadFileSelection::optTessin_Click() { throw std::logic_error("UploadFileSelection::optTessin_Click is not built yet"); }
void UploadFileSelection::optR65500_Click() { throw std::logic_error("UploadFileSelection::optR65500_Click is not built yet"); }
void UploadFileSelection::optHalcyn_Click() { throw std::logic_error("UploadFileSelection::optHalcyn_Click is not built yet"); }
void UploadFileSelection::optTarsel16_Click() { throw std::logic_error("UploadFileSelection::optTarsel16_Click is not built yet"); }
void UploadFileSelection::txtUploadPath_Change() { throw std::logic_error("UploadFileSelection::txtUploadPath_Change is not built yet"); }
void UploadFileSelection::cmdBrowseButton_Click() { throw std::logic_error("UploadFileSelection::cmdBrowseButton_Click is not built yet"); }
void UploadFileSelection::CheckDevelopmentFolder() { throw std::logic_error("UploadFileSelection::CheckDevelopmentFolder is not built yet"); }
