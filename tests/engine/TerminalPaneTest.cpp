#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

TEST(TerminalKeys, EachKeyIsOneWriteOfOneByteAndNothingDuringAnUpload) {
    EngineHarness h;
    h.engine->lifecycle.Form_Load();  // fresh settings: terminal mode on, Com 1
    ASSERT_TRUE(h.port.isOpen());
    h.port.writes.clear();
    const auto type = [&](std::initializer_list<int> keys) {
        for (int k : keys) h.engine->terminal.txtTerminal_KeyPress(static_cast<int16_t>(k));
    };
    type({'I', 'O', 'S', 13, 3, 0xAE});
    h.st().uploadBusy = true;
    type({'x'});
    h.st().uploadBusy = false;
    type({0x141, -1});  // no byte stands for these
    EXPECT_EQ(h.port.writes, (std::vector<std::string>{"I", "O", "S", "\r", "\x03", "\xAE"}));
    // The pane shows what comes back, never the typed keys themselves.
    EXPECT_EQ(h.ui().txtTerminal.text().find("IOS"), std::string::npos);
}

}  // namespace
