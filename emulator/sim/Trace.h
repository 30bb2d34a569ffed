#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The dialogue on the line, one direction a line: who, when, and the bytes with
// escapes for everything that does not print.
class Trace {
public:
    Trace(bool on, std::FILE* to) : on_(on), to_(to) {}
    void host(int64_t atUs, const std::string& bytes) { line(atUs, "host", escaped(bytes)); }
    void cpu(int64_t atUs, const std::string& bytes) { line(atUs, "cpu ", escaped(bytes)); }
    void note(int64_t atUs, const std::string& text) { line(atUs, "line", text); }

    static std::string escaped(const std::string& bytes);

private:
    void line(int64_t atUs, const char* who, const std::string& text);
    bool on_;
    std::FILE* to_;
};
