#pragma once

class Engine;

// The buttons that drive the loader by hand.
class EngineeringCommands {
public:
    explicit EngineeringCommands(Engine& k) : k_(k) {}

    void cmdConfirmationKey_Click();
    void cmdMagicWordButton_Click();
    void cmdSendIOSButton_Click();
    void cmdResetBaudButton_Click();
    void cmdRebootButton_Click();
    void cmdSplashButton_Click();
    void cmdEraseJournalButton_Click();

private:
    Engine& k_;
};
