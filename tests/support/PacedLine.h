#pragma once

#include <termios.h>

#include <string>

#include "Pty.h"
#include "relay/Relay.h"

// A serial line for tests: the host opens path() as its port and the test plays the device
// at device.slave. Each side sets its own rate; characters take their time at it and are
// made out as a UART at the receiver's rate makes them out.
struct PacedLine {
    PacedLine() {
        for (int fd : {host.slave, device.slave}) setLine(fd, [](termios& t) { ::cfmakeraw(&t); });
        relay.start();
    }
    const std::string& path() const { return host.path; }
    void setDeviceBaud(speed_t rate) {
        setLine(device.slave, [rate](termios& t) { ::cfsetspeed(&t, rate); });
    }

    Pty host, device;
    Relay relay{host.master, device.master, [] {
                    Relay::Options o;
                    o.paced = o.ownRates = true;
                    return o;
                }()};

private:
    template <class Change>
    static void setLine(int fd, Change change) {
        termios t{};
        ::tcgetattr(fd, &t);
        change(t);
        ::tcsetattr(fd, TCSANOW, &t);
    }
};
