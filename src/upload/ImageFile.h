#pragma once

#include <string>

class Engine;

// Reads the image file and fixes the expected checksum.
class ImageFile {
public:
    explicit ImageFile(Engine& k) : k_(k) {}

    // Every image file starts with these characters.
    static constexpr const char* Header = "// ZQ Encoded Image File";
    // An expected checksum nobody knows: any returned checksum passes.
    static constexpr const char* UnknownChecksum = "Unknown";

    void LoadImageFile();
    void GetImageChecksum();

    // The checksum the image declares in its "checksum:" field, or empty.
    static std::string DeclaredChecksum(const std::string& image);

private:
    Engine& k_;
};
