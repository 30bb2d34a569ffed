#include "terminal/TerminalPane.h"

#include <string>

#include "app/Engine.h"

void TerminalPane::txtTerminal_KeyPress(int16_t keyAscii) {
    // The keyboard must not disturb a running upload.
    if (k_.state.uploadBusy) return;
    // One byte per key; a code outside the 8-bit code page has no byte to send.
    if (keyAscii < 0 || keyAscii > 0xFF) return;
    std::string text(1, static_cast<char>(keyAscii));
    k_.channel.SendText(text);
}
