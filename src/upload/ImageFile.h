#pragma once

class Engine;

// Reads the image file and fixes the expected checksum.
class ImageFile {
public:
    explicit ImageFile(Engine& k) : k_(k) {}

    void LoadImageFile();
    void GetImageChecksum();

private:
    Engine& k_;
};
