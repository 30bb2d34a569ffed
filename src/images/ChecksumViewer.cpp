#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "images/ChecksumViewer.h"

#include <stdexcept>

#include "app/Engine.h"

void ChecksumViewer::cmdCheckSumtxtButton_Click() { throw std::logic_error("ChecksumViewer::cmdCheckSumtxtButton_Click is not built yet"); }
void ChecksumViewer::frmChecksum_Form_Unload() { throw std::logic_error("ChecksumViewer::frmChecksum_Form_Unload is not built yet"); }
