#pragma once

#include <cstddef>
#include <string>

// A valid encoded image file for demos and tests: the header line, optionally with a
// "checksum:" field holding the checksum the emulated CPU reports for this image, and
// a payload of hex records. Exactly `size` bytes, or the smallest image that holds the
// header (and, with allBytes, a block of every byte value 0x00 to 0xFF).
std::string makeSampleImage(size_t size, bool withChecksum, bool allBytes);
