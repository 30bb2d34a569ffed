#pragma once

#include <cstddef>
#include <optional>
#include <string>

class Engine;

// Shows the selected model's checksum reference file.
class ChecksumViewer {
public:
    explicit ChecksumViewer(Engine& k) : k_(k) {}

    void cmdCheckSumtxtButton_Click();
    void frmChecksum_Form_Unload();

    // The checksum this upload expects: the expected checksum box's, else the one the file
    // in the path box declares; empty when nobody knows it.
    std::string ExpectedChecksum() const;
    // The first line (from 0) that holds the checksum as a word of its own, in any case.
    static std::optional<size_t> LineHolding(const std::string& text, const std::string& checksum);

private:
    Engine& k_;
};
