#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

const char* const SettingsKey = Settings::SettingsKey;

TEST(UploadPath, EveryChangeTypedOrBrowsedIsStoredForTheSelectedModelAndEachModelKeepsItsOwn) {
    EngineHarness h;
    Controls& ui = h.ui();
    ui.txtUploadPath.setText("c:\\loose.img");  // no model selected: nothing stored
    EXPECT_TRUE(h.store.values.empty());
    ui.optHalcyn.select();
    for (const char* typed : {"c", "c:\\h.img"}) {
        ui.txtUploadPath.setText(typed);
        EXPECT_EQ(h.store.text(SettingsKey, "HalcynFilePath"), typed);
    }
    ui.optR65500.select();
    EXPECT_EQ(ui.txtUploadPath.text() + "|" + h.st().switcherType, "|R6MQ");
    // An empty path opens the dialog in the model's folder, a full one preselects the file.
    h.engine->uploadFiles.cmdBrowseButton_Click();
    ui.txtUploadPath.setText("c:\\old.img");
    h.dialogue.fileAnswer = "c:\\r6.img";
    h.engine->uploadFiles.cmdBrowseButton_Click();
    h.dialogue.fileAnswer.clear();  // cancelled: the path stays
    h.engine->uploadFiles.cmdBrowseButton_Click();
    EXPECT_EQ(ui.txtUploadPath.text(), "c:\\r6.img");
    ASSERT_EQ(h.dialogue.fileRequests.size(), 3u);
    const FileDialogRequest& empty = h.dialogue.fileRequests[0];
    EXPECT_EQ(empty.filter + std::to_string(empty.filterIndex), "All Files (*.*)|*.*|1");
    EXPECT_EQ(empty.initialFolder + empty.fileName, "M:\\Development\\Code\\R6MQ\\CPU\\App\\");
    EXPECT_EQ(h.dialogue.fileRequests[1].initialFolder + h.dialogue.fileRequests[1].fileName, "c:\\old.img");
    EXPECT_EQ(h.store.text(SettingsKey, "sixR55FilePath"), "c:\\r6.img");
    ui.optHalcyn.select();
    EXPECT_EQ(ui.txtUploadPath.text() + " " + h.st().uploadPath, "c:\\h.img c:\\h.img");
    EXPECT_EQ(h.store.text(SettingsKey, "HalcynFilePath"), "c:\\h.img");
    EXPECT_EQ(h.store.values.count({SettingsKey, "VardaFilePath"}), 0u);
    h.st().uploadBusy = true;  // no dialog while an upload runs
    h.engine->uploadFiles.cmdBrowseButton_Click();
    EXPECT_EQ(h.dialogue.fileRequests.size(), 3u);
}

TEST(ChecksumViewer, ShowsEachModelsOwnFileUnderItsCaptionOrTheTwoLineMessage) {
    EngineHarness h;
    h.files.posix = true;  // letter case counts: "Cpu" for Varda, "CPU" for the others
    const std::string tessin = std::string("1.02  0x1A2B\r\n1.03  0x\xAE") + '\0' + "\x33\r\n";
    h.files.put("M:\\Development\\Code\\Tessin\\CPU\\App\\Checksums.txt", tessin);
    h.files.put("M:\\Development\\Code\\Varda\\Cpu\\App\\Checksums.txt", "");
    h.files.put("M:\\Development\\Code\\R6MQ\\CPU\\App\\Checksums.txt", "r6");
    const std::tuple<Control*, const char*, std::string> models[] = {
        {&h.ui().optTessin, "Tessin Checksums.txt", tessin},
        {&h.ui().optVarda, "Varda Checksums.txt", ""},
        {&h.ui().optR65500, "R6-5500 Checksums.txt", "r6"}};
    for (const auto& [option, caption, text] : models) {
        option->select();
        h.engine->checksumViewer.cmdCheckSumtxtButton_Click();
        EXPECT_TRUE(h.dialogue.viewerOpen && h.dialogue.viewerText == text) << caption;
        EXPECT_EQ(h.dialogue.viewerCaption, caption);
    }
    EXPECT_EQ(h.dialogue.shown, "");

    // Halcyn's folder is missing, Tarsel-16's file, then no model is selected at all.
    h.dialogue.viewerOpen = false;
    h.files.addFolder("M:\\Development\\Code\\Tarsel16\\CPU\\App");
    for (Control* option : {&h.ui().optHalcyn, &h.ui().optTarsel16}) {
        option->select();
        h.engine->checksumViewer.cmdCheckSumtxtButton_Click();
    }
    h.ui().optTarsel16.setChecked(false);
    h.engine->checksumViewer.cmdCheckSumtxtButton_Click();
    const std::string missing = "[Kelvane: File Not found\r\nCheck Network Connection]";
    EXPECT_EQ(h.dialogue.shown, missing + missing + missing);
    EXPECT_FALSE(h.dialogue.viewerOpen);
}

}  // namespace
