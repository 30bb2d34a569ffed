#pragma GCC diagnostic ignored "-Wunused-parameter"
// Placeholder until this component is built; its owner replaces this file.
#include "serial/CommandChannel.h"

#include <stdexcept>

#include "app/Engine.h"

void CommandChannel::MSComm1_OnComm() { throw std::logic_error("CommandChannel::MSComm1_OnComm is not built yet"); }
void CommandChannel::SendText(std::string& text) { throw std::logic_error("CommandChannel::SendText is not built yet"); }
void CommandChannel::ClearReceiveBuffer() { throw std::logic_error("CommandChannel::ClearReceiveBuffer is not built yet"); }
void CommandChannel::ClearTerminal() { throw std::logic_error("CommandChannel::ClearTerminal is not built yet"); }
void CommandChannel::MarkTime() { throw std::logic_error("CommandChannel::MarkTime is not built yet"); }
void CommandChannel::WaitForPrompt() { throw std::logic_error("CommandChannel::WaitForPrompt is not built yet"); }
void CommandChannel::Delay(double seconds) { throw std::logic_error("CommandChannel::Delay is not built yet"); }
void CommandChannel::TimerDelay_Timer() { throw std::logic_error("CommandChannel::TimerDelay_Timer is not built yet"); }
void CommandChannel::Timer1_Timer() { throw std::logic_error("CommandChannel::Timer1_Timer is not built yet"); }
double CommandChannel::Seconds() const { throw std::logic_error("CommandChannel::Seconds is not built yet"); }
bool CommandChannel::TimedOut(int limitSeconds) const { throw std::logic_error("CommandChannel::TimedOut is not built yet"); }
void CommandChannel::DoEvents() { throw std::logic_error("CommandChannel::DoEvents is not built yet"); }
