// Placeholder until the enclosure model is built; its owner replaces this file.
#include "emulator/Enclosure.h"

#include <stdexcept>

struct Enclosure::Impl {};
Enclosure::Enclosure(EnclosureConfig) : d(std::make_unique<Impl>()) {}
Enclosure::~Enclosure() = default;
void Enclosure::setHostBaud(int, int64_t) {}
void Enclosure::fromHost(const std::string&, int64_t) {}
std::string Enclosure::toHost(int64_t) { return {}; }
int64_t Enclosure::nextEventUs() const { return Never; }
bool Enclosure::lineUp() const { return true; }
const std::string& Enclosure::receivedImage() const { throw std::logic_error("not built yet"); }
bool Enclosure::uploadComplete() const { return false; }
std::string Enclosure::reportedChecksum() const { return {}; }
std::string Enclosure::checksumOf(const std::string&) { return {}; }
const std::string& Enclosure::hostBytes() const { throw std::logic_error("not built yet"); }
int Enclosure::deviceBaud() const { return 9600; }
bool Enclosure::inLoader() const { return false; }
