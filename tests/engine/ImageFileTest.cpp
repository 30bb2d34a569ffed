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
    enum View { Auto, Manual, Unattended };
    for (const auto& [image, given, expected, mismatch] : cases)
        for (View view : {Auto, Manual, Unattended}) {
            SCOPED_TRACE(image + " given " + (given ? given : "none") + " in view " + std::to_string(view));
            EngineHarness h;
            h.st().appExitCode = 6;
            h.ui().mnuManual.setChecked(view == Manual);
            // An unattended run with a log, inside its upload.
            h.st().autoMode = h.st().outputToFile = view == Unattended;
            h.ui().cmdStartUploadButton.setEnabled(view != Unattended);
            h.st().imageText = image;
            h.st().checksumGiven = given != nullptr;
            h.ui().txtFileChecksum.setText(given ? given : "");
            h.engine->image.GetImageChecksum();
            // The Manual view hides the expected checksum but fills it all the same.
            EXPECT_EQ(h.ui().txtFileChecksum.visible(), view != Manual);
            EXPECT_EQ(h.ui().txtFileChecksum.text(), expected);
            EXPECT_EQ(h.st().stopRequested, mismatch);
            // A disagreement is shown, or logged with the given checksum in an unattended run.
            const std::string logged = "AppCode checksum: " + expected + "\r\n\r\nTerminal Data:\r\n\r\n\r\n" + Mismatch;
            EXPECT_EQ(h.outcome(), !mismatch             ? " log: exit:6"
                                   : view == Unattended ? " log:" + logged + " exit:1"
                                                        : "[Kelvane: " + Mismatch + "] log: exit:1");
        }
}

}  // namespace
