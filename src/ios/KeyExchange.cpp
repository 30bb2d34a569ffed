#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "ios/KeyExchange.h"

#include <stdexcept>

#include "app/Engine.h"

void KeyExchange::AnswerKeyChallenge() { throw std::logic_error("KeyExchange::AnswerKeyChallenge is not built yet"); }
void KeyExchange::NegotiateIosBaud() { throw std::logic_error("KeyExchange::NegotiateIosBaud is not built yet"); }
