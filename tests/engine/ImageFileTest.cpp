#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "EngineHarness.h"

namespace {

const std::string Head = "// ZQ Encoded Image File\r\n";

// The checksum field as the image declares it, and what is taken from it.
TEST(DeclaredChecksum, IsTheFieldsTextUpToItsLineEnd) {
    const std::string at999 = std::string(998, 'a') + "checksum: 0x99\r\n";
    const std::string at1000 = std::string(999, 'a') + "checksum: 0x99\r\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {Head + "// checksum: 0x1234\r\nbody", "0x1234"},
        {Head + "// checksum: 0x1234\nbody", "0x1234"},
        {Head + "// checksum:\t0xAbC\rbody", "0xAbC"},
        {Head + "checksum: 1\r\nchecksum: 2\r\n", "1"},
        // Lower case only, and starting within the first 999 characters.
        {Head + "// Checksum: 0x1234\r\n", ""},
        {Head + "// CHECKSUM: 0x1234\r\n", ""},
        {at999, "0x99"},
        {at1000, ""},
        // At most 13 characters; an unended field at the end of the file loses its last
        // two, as the scan stops at the window's length.
        {"checksum: 0123456789ABCDEF\r\n", "0123456789ABC"},
        {Head + "checksum: 0x123456", "0x1234"},
        {Head + "checksum: 123", "1"},
        // Nothing in the field: a blank, a line end straight after the colon, or the end
        // of the file anywhere before the checksum's second character.
        {Head + "checksum: \r\nbody", ""},
        {Head + "checksum:\r\nbody", ""},
        {Head + "checksum:\nbody", ""},
        {Head + "checksum:", ""},
        {Head + "checksum: ", ""},
        {Head + "checksum: 1", ""},
        {Head + "checksum: 12", ""},
    };
    for (const auto& [image, declared] : cases) EXPECT_EQ(ImageFile::DeclaredChecksum(image), declared) << image;
}

struct ImageFileTest : ::testing::Test {
    EngineHarness h;
    ImageFile& image() { return h.engine->image; }

    // The expected checksum as the upload would fix it, with or without -checksum.
    void fix(const std::string& imageText, const char* given = nullptr) {
        h.st().imageText = imageText;
        h.st().checksumGiven = given != nullptr;
        h.ui().txtFileChecksum.setText(given ? given : "");
        image().GetImageChecksum();
    }
};

TEST_F(ImageFileTest, ReadsTheFileWithEveryByteValueKept) {
    std::string bytes = Head;
    for (int b = 0; b < 256; ++b) bytes += char(b);
    h.files.put("C:\\images\\all.txt", bytes);
    h.st().uploadPath = "C:\\images\\all.txt";
    image().LoadImageFile();
    EXPECT_EQ(h.st().imageText, bytes);
    EXPECT_FALSE(h.st().stopRequested);
}

TEST_F(ImageFileTest, AMissingFileIsReportedAndStopsTheUpload) {
    h.st().autoMode = true;
    h.st().imageText = "left over from the last upload";
    h.st().uploadPath = "C:\\images\\gone.txt";
    image().LoadImageFile();
    EXPECT_TRUE(h.st().stopRequested);
    EXPECT_EQ(h.st().imageText, "");
    EXPECT_EQ(h.st().appExitCode, 7);
    EXPECT_NE(h.st().logText.find("File Not found"), std::string::npos);
    EXPECT_TRUE(h.dialogue.boxes.empty());
}

TEST_F(ImageFileTest, WithOutputToFileTheUploadLogNamesTheFile) {
    h.st().outputToFile = true;
    h.files.put("C:\\a.txt", Head);
    h.st().uploadPath = "C:\\a.txt";
    h.ui().cmdStartUploadButton.setEnabled(false);
    image().LoadImageFile();
    EXPECT_EQ(h.st().logText, "\r\nAppcode path, filename and version: C:\\a.txt\r\n\r\n");
}

TEST_F(ImageFileTest, WithoutACommandLineChecksumTheFileDecidesOrItIsUnknown) {
    fix(Head + "checksum: 0x1234\r\n");
    EXPECT_EQ(h.ui().txtFileChecksum.text(), "0x1234");
    fix(Head + "checksum:\r\n");
    EXPECT_EQ(h.ui().txtFileChecksum.text(), "Unknown");
    fix(Head);
    EXPECT_EQ(h.ui().txtFileChecksum.text(), "Unknown");
    EXPECT_FALSE(h.st().stopRequested);
}

TEST_F(ImageFileTest, ACommandLineChecksumMustAgreeWithTheFile) {
    h.st().appExitCode = 6;
    fix(Head + "checksum: 0x1234\r\n", "0x1234");
    EXPECT_EQ(h.ui().txtFileChecksum.text(), "0x1234");
    EXPECT_FALSE(h.st().stopRequested);
    EXPECT_EQ(h.st().appExitCode, 6);

    // An empty one takes the file's.
    fix(Head + "checksum: 0x1234\r\n", "");
    EXPECT_EQ(h.ui().txtFileChecksum.text(), "0x1234");
    EXPECT_FALSE(h.st().stopRequested);

    // Empty on both sides: nothing to compare, and the box stays empty.
    fix(Head, "");
    EXPECT_EQ(h.ui().txtFileChecksum.text(), "");
    EXPECT_FALSE(h.st().stopRequested);
    EXPECT_TRUE(h.dialogue.boxes.empty());
}

TEST_F(ImageFileTest, ADisagreeingCommandLineChecksumEndsWithCode1) {
    const std::string message = "Error # 1\r\nCommand line, file supplied checksum mismatch\r\n";
    for (const std::string& file : {Head + "checksum: 0x1234\r\n", Head}) {
        SCOPED_TRACE(file);
        h.st().stopRequested = false;
        h.st().appExitCode = 6;
        h.dialogue.boxes.clear();
        fix(file, "0x1235");
        EXPECT_TRUE(h.st().stopRequested);
        EXPECT_EQ(h.st().appExitCode, 1);
        ASSERT_EQ(h.dialogue.boxes.size(), 1u);
        EXPECT_EQ(h.dialogue.boxes[0].text, message);
        EXPECT_EQ(h.dialogue.boxes[0].title, "Kelvane");
        EXPECT_EQ(h.ui().txtFileChecksum.text(), "0x1235");
    }
}

TEST_F(ImageFileTest, ADisagreementIsLoggedWithTheGivenChecksumInAnUnattendedRun) {
    h.st().autoMode = true;
    h.st().outputToFile = true;
    h.ui().cmdStartUploadButton.setEnabled(false);
    fix(Head + "checksum: 0x1234\r\n", "0X1234");
    EXPECT_TRUE(h.dialogue.boxes.empty());
    EXPECT_EQ(h.st().logText,
              "AppCode checksum: 0X1234\r\n\r\nTerminal Data:\r\n\r\n"
              "\r\nError # 1\r\nCommand line, file supplied checksum mismatch\r\n");
}

TEST_F(ImageFileTest, TheManualViewHidesTheExpectedChecksumButStillFillsIt) {
    h.ui().mnuManual.setChecked(true);
    fix(Head + "checksum: 0x77\r\n");
    EXPECT_FALSE(h.ui().txtFileChecksum.visible());
    EXPECT_EQ(h.ui().txtFileChecksum.text(), "0x77");
    h.ui().mnuManual.setChecked(false);
    fix(Head);
    EXPECT_TRUE(h.ui().txtFileChecksum.visible());
}

}  // namespace
