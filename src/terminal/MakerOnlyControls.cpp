#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "terminal/MakerOnlyControls.h"

#include <stdexcept>

#include "app/Engine.h"

void MakerOnlyControls::txtTerminal_KeyDown(int keyCode, bool shift, bool ctrl, bool alt) { throw std::logic_error("MakerOnlyControls::txtTerminal_KeyDown is not built yet"); }
void MakerOnlyControls::HideZqOnlyControls() { throw std::logic_error("MakerOnlyControls::HideZqOnlyControls is not built yet"); }
void MakerOnlyControls::ShowZqOnlyControls() { throw std::logic_error("MakerOnlyControls::ShowZqOnlyControls is not built yet"); }
