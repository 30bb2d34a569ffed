#pragma once

#include <cstddef>
#include <string>

inline bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// How often part occurs in text, overlaps included.
inline size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}
