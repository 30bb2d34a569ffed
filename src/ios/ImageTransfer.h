#pragma once

class Engine;

// Streams the image in acknowledged chunks.
class ImageTransfer {
public:
    explicit ImageTransfer(Engine& k) : k_(k) {}

    void TransferImage();

private:
    Engine& k_;
};
