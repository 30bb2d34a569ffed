#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

using namespace std::string_literals;

TEST(ChecksumViewer, ShowsEachModelsOwnFileExactlyUnderItsCaption) {
    EngineHarness h;
    h.files.posix = true;  // letter case counts: "Cpu" for Varda, "CPU" for the others
    const std::string tessin = "1.02  0x1A2B\r\n1.03  0x\xAE\x00\x33\r\n"s;
    h.files.put("M:\\Development\\Code\\Tessin\\CPU\\App\\Checksums.txt", tessin);
    h.files.put("M:\\Development\\Code\\Varda\\Cpu\\App\\Checksums.txt", "");
    h.files.put("M:\\Development\\Code\\R6MQ\\CPU\\App\\Checksums.txt", "r6");
    const std::pair<Control*, const char*> models[] = {
        {&h.ui().optTessin, "Tessin Checksums.txt"},
        {&h.ui().optVarda, "Varda Checksums.txt"},
        {&h.ui().optR65500, "R6-5500 Checksums.txt"}};
    for (const auto& [option, caption] : models) {
        option->select();
        h.engine->checksumViewer.cmdCheckSumtxtButton_Click();
        EXPECT_TRUE(h.dialogue.viewerOpen);
        EXPECT_EQ(h.dialogue.viewerCaption, caption);
    }
    EXPECT_EQ(h.dialogue.viewerText, "r6");
    h.ui().optTessin.select();
    h.engine->checksumViewer.cmdCheckSumtxtButton_Click();
    EXPECT_EQ(h.dialogue.viewerText, tessin);
    EXPECT_TRUE(h.dialogue.boxes.empty());
    h.engine->checksumViewer.frmChecksum_Form_Unload();
    EXPECT_FALSE(h.dialogue.viewerOpen);
}

TEST(ChecksumViewer, AMissingFileOrNoModelGivesTheTwoLineMessageAndNoViewer) {
    EngineHarness h;
    h.ui().optHalcyn.select();
    h.engine->checksumViewer.cmdCheckSumtxtButton_Click();
    h.ui().optHalcyn.setChecked(false);
    h.engine->checksumViewer.cmdCheckSumtxtButton_Click();
    ASSERT_EQ(h.dialogue.boxes.size(), 2u);
    for (const auto& box : h.dialogue.boxes) {
        EXPECT_EQ(box.text, "File Not found\r\nCheck Network Connection");
        EXPECT_EQ(box.title, "Kelvane");
    }
    EXPECT_FALSE(h.dialogue.viewerOpen);
}

}  // namespace

