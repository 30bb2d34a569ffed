#pragma once

class Engine;

// Unlocks the loader and erases the application block.
class UnlockErase {
public:
    explicit UnlockErase(Engine& k) : k_(k) {}

    void UnlockAndEraseAppBlock();

private:
    Engine& k_;
};
