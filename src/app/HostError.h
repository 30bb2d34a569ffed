#pragma once

#include <stdexcept>
#include <string>

// Error numbers the program tells apart; every other failure keeps a number of its own.
namespace ErrorNumber {
constexpr int InvalidArgument = 5;
constexpr int OutOfMemory = 7;
constexpr int BadFileName = 52;
constexpr int DeviceIoError = 57;
constexpr int DeviceUnavailable = 68;
constexpr int PermissionDenied = 70;
constexpr int FileNotFound = 53;
constexpr int PathFileAccess = 75;
constexpr int PathNotFound = 76;
constexpr int NoSuchPort = 8002;
constexpr int PortInUse = 8005;
constexpr int PortNotOpen = 8018;
}  // namespace ErrorNumber

// A failure of a host layer (file system, serial port) as the engine sees it:
// the error number its failure paths report, and the host's own reason.
class HostError : public std::runtime_error {
public:
    HostError(int number, const std::string& reason)
        : std::runtime_error(reason), number_(number) {}
    int number() const { return number_; }
    std::string reason() const { return what(); }

private:
    int number_;
};
