#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "upload/CpuDetection.h"

#include <stdexcept>

#include "app/Engine.h"

void CpuDetection::DetectCpuState(std::string& state, int16_t& index) { throw std::logic_error("CpuDetection::DetectCpuState is not built yet"); }
