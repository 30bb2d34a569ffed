#include "host/ComPort.h"

#include "host/ComPortMapping.h"
#include "host/QtSettingsStore.h"

SerialPort& ComPort::mapped() {
    QtSettingsStore settings;
    if (ComPortMapping(settings).isNetworkLine(number_)) return network_;
    return serial_;
}

void ComPort::open() {
    if (!active_->isOpen()) active_ = &mapped();
    active_->open();
}

void ComPort::choosePort(int number) {
    // Both refuse while open; only the open one can be.
    active_->choosePort(number);
    for (SerialPort* port : {static_cast<SerialPort*>(&serial_), static_cast<SerialPort*>(&network_)})
        if (port != active_) port->choosePort(number);
    number_ = number;
}

void ComPort::setSettings(const std::string& settings) {
    serial_.setSettings(settings);
    network_.setSettings(settings);
}

void ComPort::setReceiveHandler(std::function<void()> handler) {
    serial_.setReceiveHandler(handler);
    network_.setReceiveHandler(std::move(handler));
}
