#include "MemoryPort.h"

#include "VirtualHost.h"
#include "app/HostError.h"

MemoryPort::MemoryPort(VirtualHost& host, Enclosure& device) : host_(host), device_(device) {
    host_.attach(this);
}

int MemoryPort::baud() const { return std::stoi(settings_.substr(0, settings_.find(','))); }

void MemoryPort::open() {
    if (open_) throw HostError(ErrorNumber::PortInUse, "already open");
    if (missingPorts.count(port_)) throw HostError(ErrorNumber::NoSuchPort, "no such device");
    if (busyPorts.count(port_)) throw HostError(ErrorNumber::PortInUse, "device is locked");
    if (forbiddenPorts.count(port_)) throw HostError(ErrorNumber::PermissionDenied, "permission denied");
    open_ = true;
    ++opens;
    device_.setHostBaud(baud(), host_.nowUs());
}

void MemoryPort::close() {
    open_ = false;
    input_.clear();
}

void MemoryPort::choosePort(int number) {
    if (open_) throw HostError(ErrorNumber::PortInUse, "port is open");
    port_ = number;
}

void MemoryPort::setSettings(const std::string& settings) {
    if (settings.empty()) return;
    settings_ = settings;
    if (open_) device_.setHostBaud(baud(), host_.nowUs());
}

void MemoryPort::write(const std::string& bytes) {
    if (!open_) throw HostError(ErrorNumber::PortNotOpen, "port is not open");
    writes.push_back(bytes);
    device_.fromHost(bytes, host_.nowUs());
    if (onWrite) onWrite(bytes);
}

void MemoryPort::reply(const std::string& bytes, int64_t delayUs) {
    host_.after(delayUs, [this, bytes] {
        if (open_) input_ += bytes;
    });
}

std::string MemoryPort::read(int maxChars) {
    if (failReads) {
        failReads = false;
        input_.clear();  // what the line held is lost with it
        throw HostError(ErrorNumber::DeviceIoError, "input/output error");
    }
    const size_t n = maxChars <= 0 ? input_.size() : std::min<size_t>(size_t(maxChars), input_.size());
    std::string out = input_.substr(0, n);
    input_.erase(0, n);
    readBytes += out;
    return out;
}

bool MemoryPort::deliver(int64_t nowUs) {
    std::string arrived = device_.toHost(nowUs);
    if (!open_) return !arrived.empty();  // nobody listens on a closed port
    input_ += arrived;
    bool happened = !arrived.empty();
    // Re-raised while characters remain unread, as long as the handler takes some.
    while (!input_.empty() && handler_) {
        const size_t before = input_.size();
        handler_();
        happened = true;
        if (!open_ || input_.size() >= before) break;
    }
    return happened;
}

int64_t MemoryPort::nextEventUs() const { return device_.nextEventUs(); }
