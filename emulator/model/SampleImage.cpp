#include "emulator/model/SampleImage.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "emulator/Enclosure.h"

namespace {

const std::string Header = "// ZQ Encoded Image File";
const std::string ChecksumField = " checksum: ";
const std::string LineEnd = "\r\n";
constexpr int RecordBytes = 32;

std::string hex(unsigned value, int digits) {
    char text[9];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

// Records in the style of Intel HEX: ":", length, address, type, data, check byte.
std::string record(unsigned address, uint32_t& seed) {
    std::string data;
    unsigned sum = RecordBytes + (address >> 8) + (address & 0xFF);
    for (int i = 0; i < RecordBytes; ++i) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        const unsigned byte = seed & 0xFF;
        sum += byte;
        data += hex(byte, 2);
    }
    return ":" + hex(RecordBytes, 2) + hex(address & 0xFFFF, 4) + "00" + data + hex((0x100 - (sum & 0xFF)) & 0xFF, 2) +
           LineEnd;
}

}  // namespace

std::string makeSampleImage(size_t size, bool withChecksum, bool allBytes) {
    // The checksum is always 8 digits, so the header's length is known before it.
    const size_t headerSize = Header.size() + (withChecksum ? ChecksumField.size() + 8 : 0) + LineEnd.size();
    std::string payload;
    if (allBytes) {
        for (int b = 0; b < 256; ++b) payload.push_back(char(b));
        payload += LineEnd;
    }
    const size_t payloadSize = size > headerSize ? std::max(size - headerSize, payload.size()) : payload.size();
    uint32_t seed = 0x2545F491;
    for (unsigned address = 0; payload.size() < payloadSize; address += RecordBytes) payload += record(address, seed);
    payload.resize(payloadSize);

    std::string header = Header;
    if (withChecksum) header += ChecksumField + Enclosure::checksumOf(LineEnd + payload);
    return header + LineEnd + payload;
}
