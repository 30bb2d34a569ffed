#pragma once

#include <string>

class Engine;

// The status line under the progress bar while no upload runs: what the file in the path
// box is (its size and declared checksum) or why it cannot be uploaded, and what became
// of a drop.
class UploadFileStatus {
public:
    explicit UploadFileStatus(Engine& k) : k_(k) {}

    // Run on every change of the path box. Only the file's first bytes are read, so a
    // large file or each keystroke costs next to nothing.
    void Describe();
    // Says something on the status line; a running upload has the line to itself.
    void Tell(const std::string& text);

    // The checksum the described file declares; empty when it declares none.
    const std::string& declaredChecksum() const { return declared_; }

    // The last part of a path, as the status line names the file.
    std::string FileName(const std::string& path) const;

private:
    Engine& k_;
    std::string declared_;
};
