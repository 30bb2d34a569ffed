#include <gtest/gtest.h>

#include "app/Controls.h"

namespace {

struct Recorder : ControlsListener {
    void controlChanged(const Control& c, Aspect a) override { seen.emplace_back(c.name(), a); }
    std::vector<std::pair<std::string, Aspect>> seen;
};

TEST(ControlsModel, TextChangeRaisesHandlerOnlyWhenTheTextChanges) {
    Controls ui;
    int runs = 0;
    ui.cboBaud.onChange = [&] { ++runs; };
    ui.cboBaud.setText("9600");
    ui.cboBaud.setText("9600");
    EXPECT_EQ(runs, 1);
    ui.cboBaud.setText("19200");
    EXPECT_EQ(runs, 2);
}

TEST(ControlsModel, HandlerRewritingItsOwnTextRecursesOnceAndSettles) {
    Controls ui;
    std::vector<std::string> seenTexts;
    ui.cboPort.onChange = [&] {
        seenTexts.push_back(ui.cboPort.text());
        if (ui.cboPort.text() != "Com 1") ui.cboPort.setText("Com 1");
    };
    ui.cboPort.setText("com 3");
    EXPECT_EQ(ui.cboPort.text(), "Com 1");
    EXPECT_EQ(seenTexts, (std::vector<std::string>{"com 3", "Com 1"}));
}

TEST(ControlsModel, SelectingAnOptionClearsItsSiblingsAndRunsItsClick) {
    Controls ui;
    int clicks = 0;
    ui.optVarda.onClick = [&] { ++clicks; };
    ui.optTessin.select();
    ui.optVarda.select();
    EXPECT_TRUE(ui.optVarda.checked());
    EXPECT_FALSE(ui.optTessin.checked());
    EXPECT_EQ(clicks, 1);
}

TEST(ControlsModel, ViewsAreToldWhatChangedAndAppendsCarryTheirBytes) {
    Controls ui;
    Recorder r;
    ui.addListener(&r);
    ui.txtTerminal.appendText(std::string("a\xAE\0b", 4));
    ui.cmdStartUploadButton.setEnabled(false);
    ui.cmdStartUploadButton.setEnabled(false);
    ui.removeListener(&r);
    ui.cmdStartUploadButton.setEnabled(true);
    ASSERT_EQ(r.seen.size(), 2u);
    EXPECT_EQ(r.seen[0].second, Aspect::TextAppended);
    EXPECT_EQ(ui.txtTerminal.lastAppended().size(), 4u);
    EXPECT_EQ(ui.txtTerminal.text().size(), 4u);
    EXPECT_EQ(r.seen[1], std::make_pair(std::string("cmdStartUploadButton"), Aspect::Enabled));
}

TEST(ControlsModel, EveryControlIsFoundByItsName) {
    Controls ui;
    for (const Control* c : ui.all()) EXPECT_EQ(ui.find(c->name()), c);
    EXPECT_EQ(ui.find("nothing"), nullptr);
    EXPECT_EQ(ui.cmdConfirmationKey.caption(), " Confirmation          Key");
    EXPECT_EQ(ui.Timer1.interval(), 2000);
    EXPECT_FALSE(ui.Timer1.enabled());
}

}  // namespace
