#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

const char* const SettingsKey = Settings::SettingsKey;

TEST(UploadPath, EveryChangeIsStoredForTheSelectedModelAndEachModelKeepsItsOwn) {
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
    ui.txtUploadPath.setText("c:\\r6.img");
    EXPECT_EQ(h.store.text(SettingsKey, "sixR55FilePath"), "c:\\r6.img");
    ui.optHalcyn.select();
    EXPECT_EQ(ui.txtUploadPath.text() + " " + h.st().uploadPath, "c:\\h.img c:\\h.img");
    EXPECT_EQ(h.store.text(SettingsKey, "HalcynFilePath"), "c:\\h.img");
    EXPECT_EQ(h.store.values.count({SettingsKey, "VardaFilePath"}), 0u);
}

TEST(Browse, AnEmptyPathOpensInTheModelsFolderAndAFullOnePreselectsTheFile) {
    EngineHarness h;
    h.ui().optR65500.select();
    h.engine->uploadFiles.cmdBrowseButton_Click();
    h.ui().txtUploadPath.setText("c:\\old.img");
    h.dialogue.fileAnswer = "c:\\new.img";
    h.engine->uploadFiles.cmdBrowseButton_Click();
    ASSERT_EQ(h.dialogue.fileRequests.size(), 2u);
    const FileDialogRequest& empty = h.dialogue.fileRequests[0];
    EXPECT_EQ(empty.filter + std::to_string(empty.filterIndex), "All Files (*.*)|*.*|1");
    EXPECT_EQ(empty.initialFolder + empty.fileName, "M:\\Development\\Code\\R6MQ\\CPU\\App\\");
    EXPECT_EQ(h.dialogue.fileRequests[1].initialFolder + h.dialogue.fileRequests[1].fileName, "c:\\old.img");
    EXPECT_EQ(h.store.text(SettingsKey, "sixR55FilePath"), "c:\\new.img");
    h.st().uploadBusy = true;  // no dialog while an upload runs
    h.engine->uploadFiles.cmdBrowseButton_Click();
    EXPECT_EQ(h.dialogue.fileRequests.size(), 2u);
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

    // Halcyn's file is missing; then no model is selected at all.
    h.dialogue.viewerOpen = false;
    h.ui().optHalcyn.select();
    h.engine->checksumViewer.cmdCheckSumtxtButton_Click();
    h.ui().optHalcyn.setChecked(false);
    h.engine->checksumViewer.cmdCheckSumtxtButton_Click();
    EXPECT_EQ(h.dialogue.shown, "[Kelvane: File Not found\r\nCheck Network Connection]"
                                  "[Kelvane: File Not found\r\nCheck Network Connection]");
    EXPECT_FALSE(h.dialogue.viewerOpen);
}

TEST(MakerOnly, ShiftF1ShowsTheSetWithTheSecondModelAndHidesItClearingAllButHalcyn) {
    EngineHarness w;
    w.store.values[{SettingsKey, "TessinFilePath"}] = SettingValue::fromText("c:\\tessin.img");
    w.load();  // no development folder: the set starts hidden
    const int F1 = MakerOnlyControls::KeyF1;
    const auto key = [&](int code, bool shift, bool ctrlAlt) {
        w.engine->makerOnly.txtTerminal_KeyDown(code, shift, ctrlAlt, ctrlAlt);
    };
    const auto rule = [&] { return w.store.text(SettingsKey, "ShowZqOnlyObjects"); };
    for (auto [code, shift, ctrl] : {std::tuple{F1, false, false}, {F1, false, true}, {F1 + 1, true, false}})
        key(code, shift, ctrl);
    EXPECT_EQ(rule(), "");  // not Shift+F1: nothing happens

    w.ui().optVarda.select();
    key(F1, true, false);
    EXPECT_EQ(rule(), "1");
    EXPECT_TRUE(w.ui().cmdConfirmationKey.visible() && w.ui().optTessin.checked() && !w.ui().optVarda.checked());
    EXPECT_EQ(w.ui().txtUploadPath.text(), "c:\\tessin.img");
    key(F1, true, true);  // Ctrl and Alt do not matter
    EXPECT_EQ(rule(), "0");
    EXPECT_FALSE(w.ui().cmdConfirmationKey.visible() || w.ui().optTessin.checked());
    EXPECT_EQ(w.ui().txtUploadPath.text(), "");
    EXPECT_EQ(w.store.text(SettingsKey, "TessinFilePath"), "c:\\tessin.img");
    key(F1, true, false);
    w.ui().optHalcyn.select();
    key(F1, true, false);
    EXPECT_TRUE(w.ui().optHalcyn.checked());
}

}  // namespace
