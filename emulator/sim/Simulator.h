#pragma once

#include "emulator/sim/Options.h"

// Serves the emulated CPU on a pseudo-terminal in real time until a signal, the end of
// the line, or (with --once) the end of one upload. Returns the exit code.
int serve(const SimOptions& options);
