#pragma once

class Engine;

// Sends a CPU running its application into its loader.
class IosEntry {
public:
    explicit IosEntry(Engine& k) : k_(k) {}

    void EnterIos();

private:
    Engine& k_;
};
