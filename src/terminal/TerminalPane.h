#pragma once

#include <cstdint>

class Engine;

// Keys typed into the terminal pane go to the CPU, one byte each.
class TerminalPane {
public:
    explicit TerminalPane(Engine& k) : k_(k) {}

    void txtTerminal_KeyPress(int16_t keyAscii);

private:
    Engine& k_;
};
