#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/SerialPort.h"
#include "emulator/Enclosure.h"

class VirtualHost;

// A serial port in memory, wired to the emulated enclosure in virtual time.
class MemoryPort : public SerialPort {
public:
    MemoryPort(VirtualHost& host, Enclosure& device);

    bool isOpen() const override { return open_; }
    void open() override;
    void close() override;
    void choosePort(int number) override;
    void setSettings(const std::string& settings) override;
    void write(const std::string& bytes) override;
    std::string read(int maxChars) override;
    int waiting() const override { return open_ ? int(input_.size()) : 0; }
    void setReceiveHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
    std::string deviceName(int number) const override { return "/dev/mem" + std::to_string(number); }

    // Called by the host's yield: takes what the device sent and raises the receive
    // notification while characters remain unread. True when anything happened.
    bool deliver(int64_t nowUs);
    int64_t nextEventUs() const;

    // Ports that do not exist (8002) and ports held by another program (8005).
    std::set<int> missingPorts;
    std::set<int> busyPorts;
    std::set<int> forbiddenPorts;  // the user may not open them
    // Makes the next read fail, as a line that went away does.
    bool failReads = false;
    // What a well-behaved device never sends (a late key prompt, a stray dot, 0xAE inside
    // a longer answer): bytes that reach the port, if open, after delayUs.
    void reply(const std::string& bytes, int64_t delayUs = 1000);
    // Called with each write, after the device has it.
    std::function<void(const std::string&)> onWrite;

    int portNumber() const { return port_; }
    const std::string& settings() const { return settings_; }
    int baud() const;
    // Every write, in order, as handed to the port.
    std::vector<std::string> writes;
    // Every byte read, in order.
    std::string readBytes;
    int opens = 0;

private:
    VirtualHost& host_;
    Enclosure& device_;
    std::function<void()> handler_;
    bool open_ = false;
    int port_ = 1;
    std::string settings_ = "9600,n,8,1";
    std::string input_;
};
