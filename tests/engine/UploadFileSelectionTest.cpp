#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

const char* const SettingsKey = "Software\\ZQ Technologies\\Utility\\Kelvane\\STARTUP";

TEST(UploadPath, EveryChangeIsStoredForTheSelectedModelAndEachModelKeepsItsOwn) {
    EngineHarness h;
    Controls& ui = h.ui();
    ui.txtUploadPath.setText("c:\\loose.img");  // no model selected: nothing stored
    EXPECT_EQ(h.store.writes, 0);
    ui.optHalcyn.select();
    for (const char* typed : {"c", "c:\\h.img"}) {
        ui.txtUploadPath.setText(typed);
        EXPECT_EQ(h.store.text(SettingsKey, "HalcynFilePath"), typed);
    }
    ui.optR65500.select();
    EXPECT_EQ(ui.txtUploadPath.text(), "");
    EXPECT_EQ(h.st().switcherType, "R6MQ");
    ui.txtUploadPath.setText("c:\\r6.img");
    EXPECT_EQ(h.store.text(SettingsKey, "sixR55FilePath"), "c:\\r6.img");
    ui.optHalcyn.select();
    EXPECT_EQ(ui.txtUploadPath.text(), "c:\\h.img");
    EXPECT_EQ(h.st().uploadPath, "c:\\h.img");
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
    EXPECT_EQ(empty.filter, "All Files (*.*)|*.*|");
    EXPECT_EQ(empty.filterIndex, 1);
    EXPECT_EQ(empty.initialFolder, "M:\\Development\\Code\\R6MQ\\CPU\\App\\");
    EXPECT_EQ(empty.fileName, "");
    EXPECT_EQ(h.dialogue.fileRequests[1].fileName, "c:\\old.img");
    EXPECT_EQ(h.dialogue.fileRequests[1].initialFolder, "");
    EXPECT_EQ(h.store.text(SettingsKey, "sixR55FilePath"), "c:\\new.img");
    h.st().uploadBusy = true;  // no dialog while an upload runs
    h.engine->uploadFiles.cmdBrowseButton_Click();
    EXPECT_EQ(h.dialogue.fileRequests.size(), 2u);
}

TEST(DevelopmentFolder, FoundOnlyWhenTheFolderIsThere) {
    EngineHarness h;
    h.engine->uploadFiles.CheckDevelopmentFolder();
    EXPECT_FALSE(h.st().devFolderPresent);
    h.files.addFolder("M:\\Development");
    h.engine->uploadFiles.CheckDevelopmentFolder();
    EXPECT_TRUE(h.st().devFolderPresent);
}

}  // namespace
