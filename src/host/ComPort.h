#pragma once

#include <functional>
#include <string>

#include "app/SerialPort.h"
#include "host/NetworkSerialPort.h"
#include "host/QtSerialPort.h"

// The program's port "Com n" on this machine: the local serial device its mapping
// names, or the network line when the mapping gives a URL. The choice is made as the
// port opens, so a mapping changed meanwhile is followed.
class ComPort : public SerialPort {
public:
    ComPort() = default;

    bool isOpen() const override { return active_->isOpen(); }
    void open() override;
    void close() override { active_->close(); }
    void choosePort(int number) override;
    void setSettings(const std::string& settings) override;
    void write(const std::string& bytes) override { active_->write(bytes); }
    std::string read(int maxChars) override { return active_->read(maxChars); }
    int waiting() const override { return active_->waiting(); }
    void setReceiveHandler(std::function<void()> handler) override;
    // Only a network line keeps its far end's rate.
    int fixedBaud() const override { return network_.fixedBaud(); }
    std::string rateLimit(int baud) const override { return network_.rateLimit(baud); }
    std::string deviceName(int number) const override { return network_.deviceName(number); }

private:
    SerialPort& mapped();

    QtSerialPort serial_;
    NetworkSerialPort network_;
    int number_ = 1;
    SerialPort* active_ = &serial_;
};
