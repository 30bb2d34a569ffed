#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

const char* const SettingsKey = "Software\\ZQ Technologies\\Utility\\Kelvane\\STARTUP";
constexpr int F1 = MakerOnlyControls::KeyF1;

struct Window : EngineHarness {
    Window() {
        store.values[{SettingsKey, "TessinFilePath"}] = SettingValue::fromText("c:\\tessin.img");
        engine->lifecycle.Form_Load();  // no development folder: the set starts hidden
    }
    void key(int code, bool shift, bool ctrl = false, bool alt = false) {
        engine->makerOnly.txtTerminal_KeyDown(code, shift, ctrl, alt);
    }
    bool setShown() {
        Controls& u = ui();
        return u.cmdSplashButton.visible() && u.cmdConfirmationKey.visible() && u.cmdMagicWordButton.visible() &&
               u.FrameSwitcherType.visible() && u.cmdCheckSumtxtButton.visible();
    }
    std::string rule() { return store.text(SettingsKey, "ShowZqOnlyObjects"); }
};

TEST(MakerOnly, ShiftF1TogglesTheSetItsLayoutAndTheStoredRule) {
    Window w;
    const int writes = w.store.writes;
    for (auto [code, shift, ctrl] : {std::tuple{F1, false, false}, {F1, false, true}, {F1 + 1, true, false}})
        w.key(code, shift, ctrl);
    EXPECT_EQ(w.store.writes, writes);  // not Shift+F1: nothing happens

    w.key(F1, true);
    EXPECT_TRUE(w.setShown());
    EXPECT_EQ(w.rule(), "1");
    EXPECT_EQ(w.ui().Frame1.geometry(), (Geometry{120, 1860, 9300, 2772}));
    EXPECT_EQ(w.ui().txtTerminal.geometry(), (Geometry{180, 252, 8910, 2412}));

    w.key(F1, true, true, true);  // Ctrl and Alt do not matter
    EXPECT_FALSE(w.ui().cmdSplashButton.visible() || w.ui().FrameSwitcherType.visible());
    EXPECT_EQ(w.rule(), "0");
    EXPECT_EQ(w.ui().Frame1.geometry(), (Geometry{120, 1260, 9300, 3372}));
    EXPECT_EQ(w.ui().txtTerminal.geometry(), (Geometry{180, 252, 8910, 3000}));
}

TEST(MakerOnly, ShowingSelectsTheSecondModelAndHidingClearsAllButHalcyn) {
    Window w;
    w.ui().optVarda.select();
    w.key(F1, true);
    EXPECT_TRUE(w.ui().optTessin.checked());
    EXPECT_FALSE(w.ui().optVarda.checked());
    EXPECT_EQ(w.ui().txtUploadPath.text(), "c:\\tessin.img");
    w.key(F1, true);
    EXPECT_FALSE(w.ui().optTessin.checked());
    EXPECT_EQ(w.ui().txtUploadPath.text(), "");
    EXPECT_EQ(w.store.text(SettingsKey, "TessinFilePath"), "c:\\tessin.img");
    w.key(F1, true);
    w.ui().optHalcyn.select();
    w.key(F1, true);
    EXPECT_TRUE(w.ui().optHalcyn.checked());
}

}  // namespace
