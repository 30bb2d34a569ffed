#pragma once

#include <string>

// The emulated CPU's end of a serial line: a pseudo-terminal whose other end a program
// opens as its serial port. The sim keeps an end of its own open, so the terminal lives
// on while the program closes and reopens its port, and reads the program's line
// settings from it.
class PtyLine {
public:
    PtyLine();  // throws std::runtime_error when no pseudo-terminal can be had
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    const std::string& path() const { return path_; }
    int fd() const { return master_; }

    // The rate the program has set on its port, or 0 while no program holds it open
    // (a program puts back the settings it found, and the sim leaves the rate at 0).
    int hostBaud() const;
    // Everything the program has written and the sim not yet read.
    std::string read();
    // Queues bytes for the program; they go as the terminal takes them.
    void write(const std::string& bytes);
    void flush();
    bool pending() const { return !out_.empty(); }
    // The program closed its port: what it did not read is gone, as on a real line.
    void dropUnread();
    // The line goes away: the program's port sees a hang-up.
    void hangUp();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::string out_;
};
