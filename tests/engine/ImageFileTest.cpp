#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

const std::string Head = "// ZQ Encoded Image File\r\n";
const std::string Declaring = Head + "checksum: 0x1234\r\n";
const std::string Mismatch = "Error # 1\r\nCommand line, file supplied checksum mismatch\r\n";

// The checksum field as the image declares it, and what is taken from it.
TEST(DeclaredChecksum, IsTheFieldsTextUpToItsLineEnd) {
    const std::pair<std::string, std::string> cases[] = {
        {Head + "// checksum: 0x1234\r\nbody", "0x1234"}, {Head + "// checksum: 0x1234\nbody", "0x1234"},
        {Head + "// checksum:\t0xAbC\rbody", "0xAbC"},      {Head + "checksum: 1\r\nchecksum: 2\r\n", "1"},
        // Lower case only, and starting within the first 999 characters.
        {Head + "// Checksum: 0x1234\r\n", ""},
        {std::string(998, 'a') + "checksum: 0x99\r\n", "0x99"}, {std::string(999, 'a') + "checksum: 0x99\r\n", ""},
        // At most 13 characters; an unended field at the end of the file loses its last
        // two, as the scan stops at the window's length.
        {"checksum: 0123456789ABCDEF\r\n", "0123456789ABC"}, {Head + "checksum: 0x123456", "0x1234"},
        {Head + "checksum: 123", "1"},
        // Nothing in the field: a blank, a line end straight after the colon, or the end
        // of the file anywhere before the checksum's second character.
        {Head + "checksum: \r\nbody", ""}, {Head + "checksum:\r\nbody", ""}, {Head + "checksum:\nbody", ""},
        {Head + "checksum:", ""},         {Head + "checksum: ", ""},        {Head + "checksum: 1", ""},
        {Head + "checksum: 12", ""},
    };
    for (const auto& [image, declared] : cases) EXPECT_EQ(ImageFile::DeclaredChecksum(image), declared) << image;
}

// The expected checksum as an upload fixes it, with -checksum when one is given.
void fix(EngineHarness& h, const std::string& image, const char* given) {
    h.st().imageText = image;
    h.st().checksumGiven = given != nullptr;
    h.ui().txtFileChecksum.setText(given ? given : "");
    h.engine->image.GetImageChecksum();
}

TEST(ExpectedChecksum, IsTheFilesUnlessTheCommandLineGivesOneThatMustAgree) {
    // The file, -checksum, the checksum expected, and whether they disagree.
    const std::tuple<std::string, const char*, std::string, bool> cases[] = {
        {Declaring, nullptr, "0x1234", false},  {Head + "checksum:\r\n", nullptr, "Unknown", false},
        {Head, nullptr, "Unknown", false},      {Declaring, "0x1234", "0x1234", false},
        {Declaring, "", "0x1234", false},       // an empty one takes the file's
        // Letter case aside they agree, and the file's own text is expected.
        {Head + "checksum: 0x1A2B\r\n", "0x1a2b", "0x1A2B", false},
        {Head, "", "", false},                  // nothing to compare on either side
        {Declaring, "0x1235", "0x1235", true},  {Head, "0x1235", "0x1235", true},
    };
    for (const auto& [image, given, expected, mismatch] : cases)
        for (bool manual : {false, true}) {
            SCOPED_TRACE(image + " given " + (given ? given : "none") + (manual ? " in the Manual view" : ""));
            EngineHarness h;
            h.st().appExitCode = 6;
            h.ui().mnuManual.setChecked(manual);
            fix(h, image, given);
            // The Manual view hides the expected checksum but fills it all the same.
            EXPECT_EQ(h.ui().txtFileChecksum.visible(), !manual);
            EXPECT_EQ(h.ui().txtFileChecksum.text(), expected);
            EXPECT_EQ(h.st().stopRequested, mismatch);
            EXPECT_EQ(h.outcome(), mismatch ? "[Kelvane: " + Mismatch + "] log: exit:1" : " log: exit:6");
        }
}

TEST(ExpectedChecksum, ADisagreementIsLoggedWithTheGivenChecksumInAnUnattendedRun) {
    EngineHarness h;
    h.st().autoMode = h.st().outputToFile = true;
    h.ui().cmdStartUploadButton.setEnabled(false);
    fix(h, Declaring, "0x1235");
    EXPECT_EQ(h.outcome(), " log:AppCode checksum: 0x1235\r\n\r\nTerminal Data:\r\n\r\n\r\n" + Mismatch + " exit:1");
}

}  // namespace
