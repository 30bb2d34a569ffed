#pragma once

class Engine;

// Terminal mode on and off, and the pane's colour schemes.
class TerminalMode {
public:
    explicit TerminalMode(Engine& k) : k_(k) {}

    void mnuTermModeOn_Click();
    void mnuTermModeOff_Click();
    void mnudefault_Click();
    void mnubluewhite_Click();
    void mnublackwhite_Click();
    void ApplyTerminalColors();

private:
    Engine& k_;
};
