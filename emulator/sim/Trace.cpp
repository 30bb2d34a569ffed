#include "emulator/sim/Trace.h"

std::string Trace::escaped(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        default:
            if (c >= 0x20 && c < 0x7F) {
                out.push_back(char(c));
            } else {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            }
        }
    }
    return out;
}

void Trace::line(int64_t atUs, const char* who, const std::string& text) {
    if (!on_) return;
    std::fprintf(to_, "%9.3f %s %s\n", double(atUs) / 1e6, who, text.c_str());
    std::fflush(to_);
}
