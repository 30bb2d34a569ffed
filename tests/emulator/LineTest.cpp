// The line between host and CPU: rates, and the faults of a real device.
#include <gtest/gtest.h>

#include <tuple>

#include "Line.h"
#include "emulator/model/Uart.h"

namespace {

std::string reframed(const std::string& burst, int from, int to) {
    std::string s;
    for (const auto& r : uart::reframe(burst, from, to)) s.push_back(char(r.byte));
    return s;
}

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
        EXPECT_FALSE(has(line.received, "OS> ") || line.device.inLoader()) << rate;
    }
    EnclosureConfig c;
    c.answerDelayUs = 100000;
    Line line(loaderAt(57600, c));
    line.send("x");
    line.setBaud(9600);  // the answer leaves while the host listens at another rate
    line.run(1000000);
    EXPECT_FALSE(line.received.empty());
    EXPECT_FALSE(has(line.take(), "IOS>"));
    line.setBaud(57600);
    EXPECT_TRUE(line.ask("x", "IOS>"));
}

TEST(EnclosureLine, ASlowDeviceAnswersThatMuchLaterAndATrickleOneCharacterAtATime) {
    EnclosureConfig slow, trickle;
    slow.answerDelayUs = 700000;
    trickle.trickle = true;
    // The device, a moment, what has come by then, and by when the whole answer has.
    for (const auto& [config, soonUs, soon, wholeUs] :
         {std::tuple{slow, 650000, "", 750000}, std::tuple{trickle, 1000, "X", 100000}}) {
        Line line(config);
        line.send("X\r\n");
        line.run(soonUs);
        EXPECT_EQ(line.received, soon);
        EXPECT_TRUE(line.waitFor("X\r\nOS> ", wholeUs - soonUs)) << line.received;
    }
}

TEST(EnclosureLine, AGarbledAnswerKeepsItsLengthButNoneOfItsCharacters) {
    EnclosureConfig garbage;
    garbage.garbage = true;
    Line noisy(garbage);
    noisy.send("X\r\n");
    noisy.run(1000000);
    EXPECT_EQ(noisy.received.size(), std::string("X\r\nOS> ").size());
    for (char ch : std::string("XxOS> \xAE\xFF")) EXPECT_FALSE(has(noisy.received, std::string(1, ch)));

    // A noisier line's garbage holds the dialogue's own characters.
    garbage.protocolGarbage = true;
    Line protocol(garbage);
    protocol.send("X\r\n");
    protocol.run(1000000);
    EXPECT_EQ(protocol.received.size(), std::string("X\r\nOS> ").size());
    EXPECT_NE(protocol.received.find_first_of("X.\xAE>"), std::string::npos) << protocol.received;
    EXPECT_FALSE(has(protocol.received, "OS> "));
}

TEST(EnclosureLine, ADisconnectCutsTheLineInBothDirections) {
    EnclosureConfig c = loaderAt(9600);
    c.disconnectAfterBytes = 2 + 1500;  // "py", then part of the image
    Line line(c);
    ASSERT_TRUE(line.ask("py", "mode.\r\n", 2000000));
    line.take();
    line.send(std::string(1024, 'A'));
    line.send(std::string(1024, 'B'));
    line.send("x");
    line.run(5000000);
    EXPECT_EQ(line.received, "\xAE ");  // the first chunk's answer only
    EXPECT_EQ(line.device.receivedImage().size(), 1500u);
    EXPECT_EQ(line.device.nextEventUs(), Enclosure::Never);
}
