#pragma once

class Engine;

// The loader's key challenge and the move of the loader to 57600 baud.
class KeyExchange {
public:
    explicit KeyExchange(Engine& k) : k_(k) {}

    void AnswerKeyChallenge();
    void NegotiateIosBaud();

private:
    Engine& k_;
};
