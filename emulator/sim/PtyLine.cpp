#include "emulator/sim/PtyLine.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

struct Rate {
    speed_t code;
    int baud;
};
const Rate Rates[] = {{B50, 50},         {B75, 75},         {B110, 110},         {B134, 134},
                      {B150, 150},       {B200, 200},       {B300, 300},         {B600, 600},
                      {B1200, 1200},     {B1800, 1800},     {B2400, 2400},       {B4800, 4800},
                      {B9600, 9600},     {B19200, 19200},   {B38400, 38400},     {B57600, 57600},
                      {B115200, 115200}, {B230400, 230400}, {B460800, 460800},   {B921600, 921600}};

std::runtime_error failure(const std::string& what) { return std::runtime_error(what + ": " + std::strerror(errno)); }

}  // namespace

PtyLine::PtyLine() {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) throw failure("openpty");
    path_ = name;
    termios t{};
    if (tcgetattr(slave_, &t) != 0) throw failure("tcgetattr");
    // Raw, so that no byte is changed or echoed before a program opens the port, and
    // at rate 0, the sign that no program holds it.
    cfmakeraw(&t);
    cfsetispeed(&t, B0);
    cfsetospeed(&t, B0);
    if (tcsetattr(slave_, TCSANOW, &t) != 0) throw failure("tcsetattr");
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) throw failure("fcntl");
}

PtyLine::~PtyLine() { hangUp(); }

int PtyLine::hostBaud() const {
    termios t{};
    if (slave_ < 0 || tcgetattr(slave_, &t) != 0) return 0;
    const speed_t code = cfgetospeed(&t);
    for (const Rate& r : Rates)
        if (r.code == code) return r.baud;
    return 0;
}

std::string PtyLine::read() {
    std::string in;
    char buffer[4096];
    while (master_ >= 0) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n <= 0) break;
        in.append(buffer, size_t(n));
    }
    return in;
}

void PtyLine::write(const std::string& bytes) {
    out_ += bytes;
    flush();
}

void PtyLine::flush() {
    while (!out_.empty() && master_ >= 0) {
        const ssize_t n = ::write(master_, out_.data(), out_.size());
        if (n <= 0) break;
        out_.erase(0, size_t(n));
    }
}

void PtyLine::dropUnread() {
    out_.clear();
    if (slave_ >= 0) tcflush(slave_, TCIFLUSH);
}

void PtyLine::hangUp() {
    out_.clear();
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
    master_ = slave_ = -1;
}
