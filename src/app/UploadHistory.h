#pragma once

#include <cstdint>
#include <string>

// What is kept of one upload: its figures and the one sentence that says how it ended.
struct UploadRecord {
    int64_t durationMs = 0;
    std::string imagePath;
    int64_t imageSize = 0;
    std::string declaredChecksum;
    std::string expectedChecksum;
    std::string reportedChecksum;
    int port = 0;
    std::string device;
    std::string rateFound;
    int exitCode = 0;
    std::string phase;
    std::string result;
};

// Where uploads are kept once they have ended: a record each, with the bytes the device
// sent during the upload beside it. Where that lives is the host's concern.
class UploadHistory {
public:
    virtual ~UploadHistory() = default;
    // Keeps the record and its transcript; returns the transcript's name as the user
    // finds it. Failures throw HostError.
    virtual std::string record(const UploadRecord& record, const std::string& transcript) = 0;
};
