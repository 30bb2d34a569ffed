#pragma once

#include <functional>
#include <string>

// The serial line as the engine uses it. Text is 8-bit: one byte per character,
// every byte value kept. Failures throw HostError (8002 no such port, 8005 in use,
// 8018 write while closed, or another number with the host's reason).
class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual bool isOpen() const = 0;
    virtual void open() = 0;
    virtual void close() = 0;
    // Port 1..9; only while closed.
    virtual void choosePort(int number) = 0;
    // "57600,n,8,1"; also while open. An empty text keeps the previous settings.
    virtual void setSettings(const std::string& settings) = 0;
    // Queues the bytes for sending and returns.
    virtual void write(const std::string& bytes) = 0;
    // Takes waiting characters: all of them when maxChars is 0, else at most maxChars.
    virtual std::string read(int maxChars) = 0;
    // Received characters not yet read; 0 while closed.
    virtual int waiting() const = 0;
    // Called once per receive notification (and for the port's other notifications,
    // when nothing may be waiting); raised again while characters remain unread.
    virtual void setReceiveHandler(std::function<void()> handler) = 0;
    // A line whose rate stays as its far end has it (a raw network line): that rate.
    // 0 for a line whose rate the program sets.
    virtual int fixedBaud() const { return 0; }
    // Why the line cannot run at baud, naming the line; empty when it can.
    virtual std::string rateLimit(int baud) const {
        (void)baud;
        return {};
    }
    // The device behind port n on this machine as its user names it ("/dev/ttyUSB0",
    // "COM3"), or empty when the host cannot tell.
    virtual std::string deviceName(int number) const = 0;
};
