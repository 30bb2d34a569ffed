// The line between host and CPU: rates, pacing, and the faults of a real device.
#include <gtest/gtest.h>

#include "Line.h"
#include "emulator/model/Uart.h"

namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string reframed(const std::string& burst, int from, int to) {
    std::string s;
    for (const auto& r : uart::reframe(burst, from, to)) s.push_back(char(r.byte));
    return s;
}

const std::string Ack = std::string("\xAE") + " ";

}  // namespace

TEST(Uart, SameRateIsTransparentAndOtherRatesAreNot) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(char(b));
    EXPECT_EQ(reframed(all, 57600, 57600), all);
    // The last stop bit is sampled half a bit before the burst's end.
    EXPECT_EQ(uart::reframe(all, 57600, 57600).back().atUs, (2560 * 1000000LL - 500000) / 57600);
    for (auto [from, to] : {std::pair{57600, 9600}, {9600, 57600}, {9600, 19200}, {38400, 9600}})
        EXPECT_FALSE(has(reframed("X\r\nOS> IOS>", from, to), "OS> ")) << from << " to " << to;
    // A slow receiver sees fewer characters than were sent, a fast one more.
    EXPECT_LT(reframed(all, 57600, 9600).size(), all.size());
    EXPECT_GT(reframed(std::string(20, 'U'), 9600, 57600).size(), 20u);
}

TEST(EnclosureLine, AHostAtTheWrongRateIsNeitherUnderstoodNorUnderstands) {
    for (int rate : {19200, 38400, 57600}) {
        Line line;
        line.setBaud(rate);
        line.send("X\r\n~ios!");
        line.run(2000000);
        EXPECT_FALSE(has(line.received, "OS> ")) << rate;
        EXPECT_FALSE(line.device.inLoader()) << rate;
    }
    EnclosureConfig c;
    c.startInLoader = true;
    c.loaderBaud = 57600;
    c.answerDelayUs = 100000;
    Line line(c);
    line.setBaud(57600);
    line.send("x");
    line.setBaud(9600);  // the answer leaves while the host listens at another rate
    line.run(1000000);
    EXPECT_FALSE(line.received.empty());
    EXPECT_FALSE(has(line.take(), "IOS>"));
    line.setBaud(57600);
    line.send("x");
    EXPECT_TRUE(line.waitFor("IOS>", 1000000));
}

TEST(EnclosureLine, PacingAndASlowDeviceTakeTheirTime) {
    EnclosureConfig c;
    c.startInLoader = true;
    c.loaderBaud = 57600;
    c.pace = true;
    Line line(c);
    line.setBaud(57600);
    line.send("py");
    ASSERT_TRUE(line.waitFor("mode.\r\n", 2000000));
    const int64_t sent = line.now;
    line.send(std::string(1024, 'A'));
    line.send(std::string(1024, 'B'));  // waits for the line to be free
    ASSERT_TRUE(line.waitFor(Ack + Ack, 1000000));
    EXPECT_NEAR(double(line.now - sent), 2048 * 10 * 1e6 / 57600 + 2 * 174, 2);  // two chunks, an answer

    EnclosureConfig slow;
    slow.answerDelayUs = 700000;
    Line late(slow);
    late.send("X\r\n");
    late.run(650000);
    EXPECT_EQ(late.received, "");
    EXPECT_TRUE(late.waitFor("OS> ", 100000));
}

TEST(EnclosureLine, SilentAndGarbledDevicesStillActOnCommands) {
    EnclosureConfig silent;
    silent.silent = true;
    Line quiet(silent);
    quiet.send("X\r\n~ios!");
    quiet.run(3000000);
    EXPECT_EQ(quiet.received, "");
    EXPECT_TRUE(quiet.device.inLoader());

    EnclosureConfig garbage;
    garbage.garbage = true;
    Line noisy(garbage);
    noisy.send("X\r\n");
    noisy.run(1000000);
    EXPECT_EQ(noisy.received.size(), std::string("X\r\nOS> ").size());
    for (char ch : std::string("XxOS> \xAE\xFF")) EXPECT_FALSE(has(noisy.received, std::string(1, ch)));
}

TEST(EnclosureLine, ADisconnectCutsTheLineInBothDirections) {
    EnclosureConfig c;
    c.startInLoader = true;
    c.disconnectAfterBytes = 2 + 1500;  // "py", then part of the image
    Line line(c);
    line.send("py");
    ASSERT_TRUE(line.waitFor("mode.\r\n", 2000000));
    line.take();
    line.send(std::string(1024, 'A'));
    EXPECT_TRUE(line.device.lineUp());
    line.send(std::string(1024, 'B'));
    EXPECT_FALSE(line.device.lineUp());
    line.send("x");
    line.run(5000000);
    EXPECT_EQ(line.received, Ack);  // the first chunk's answer only
    EXPECT_EQ(line.device.receivedImage().size(), 1500u);
    EXPECT_EQ(line.device.nextEventUs(), Enclosure::Never);
}
