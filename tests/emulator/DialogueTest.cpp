// The CPU's application and loader, as the program's dialogues meet them.
#include <gtest/gtest.h>

#include "Line.h"

namespace {

const std::string Word = "01KwgTHs837RyuLdXsZBov64";
const std::string WordM = "01KwgTHs837mRyuLdXsZBov64";

EnclosureConfig loader(EnclosureConfig c = {}) {
    c.startInLoader = true;
    return c;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(EnclosureApplication, AnswersTheProbeShowsItsSplashAndEntersItsLoader) {
    Line prompt;
    prompt.send("X\r\n");
    EXPECT_TRUE(prompt.waitFor("X\r\nOS> ", 1000000)) << prompt.received;
    prompt.send("~scr!");
    EXPECT_TRUE(prompt.waitFor("OS> ", 1000000));
    EXPECT_GT(prompt.take().size(), 20u);
    EXPECT_FALSE(prompt.device.inLoader());
    // Its console takes the loader's settings, and "b" restarts the CPU into the loader.
    prompt.send("ey");
    EXPECT_TRUE(prompt.waitFor("ey\r\nOS> ", 1000000));
    prompt.send("Sy57600\r\nb");
    prompt.run(1000);
    prompt.setBaud(57600);
    EXPECT_TRUE(prompt.waitFor("\r\nIOS>", 1000000)) << prompt.received;
    EXPECT_EQ(prompt.device.deviceBaud(), 57600);

    EnclosureConfig c;
    c.appPrompt = false;
    c.loaderBaud = 57600;
    c.sendFFOnRestart = true;
    Line echo(c);
    echo.send("X\r\n");
    echo.run(2000000);
    EXPECT_EQ(echo.take(), "X");
    echo.send("~ios!");
    echo.run(50000);
    EXPECT_EQ(echo.take(), "~ios!\xFF");  // the reset glitch comes at the application's rate
    echo.setBaud(57600);
    EXPECT_TRUE(echo.waitFor("\r\nIOS>", 2000000)) << echo.received;
    EXPECT_TRUE(echo.device.inLoader());
    EXPECT_EQ(echo.device.deviceBaud(), 57600);
}

TEST(EnclosureLoader, ChallengeGivesWayOnlyToItsOwnWord) {
    using C = EnclosureConfig::Challenge;
    for (auto [kind, word, other, challenge] : {std::tuple{C::Plain, Word, WordM, Word + ": "},
                                                std::tuple{C::MVariant, WordM, Word, WordM + " :"}}) {
        EnclosureConfig c = loader();
        c.challenge = kind;
        Line line(c);
        line.send("X\r\n");  // the probe of a locked loader ends in the challenge
        EXPECT_TRUE(line.waitFor(challenge, 1000000)) << line.received;
        line.send(other.substr(0, word.size()));
        EXPECT_TRUE(line.waitFor(challenge, 1000000));
        line.send("py");  // still locked: no erase, and "x" asks again
        line.send("x");
        EXPECT_TRUE(line.waitFor(challenge, 2000000));
        EXPECT_FALSE(has(line.take(), "mode."));
        line.send(word);
        EXPECT_TRUE(line.waitFor("IOS>", 1000000)) << line.received;
        EXPECT_FALSE(has(line.received, challenge));

        c.rejectKey = true;
        Line refusing(c);
        refusing.send(word);
        refusing.run(1000000);
        EXPECT_FALSE(has(refusing.received, "IOS>"));
        EXPECT_TRUE(has(refusing.received, challenge));
    }
}

TEST(EnclosureLoader, KeyPromptsTakeOnlyTheUnlockWordAndCrLf) {
    EnclosureConfig c = loader();
    c.keyPromptOnEy = true;
    c.keyPromptOnPy = true;
    Line line(c);
    line.send("ey");
    EXPECT_TRUE(line.waitFor("key: ", 1000000));
    line.send(Word + "\r\n");
    EXPECT_TRUE(line.waitFor("IOS>", 1000000));
    EXPECT_FALSE(has(line.take(), "Invalid"));

    line.send("py");
    EXPECT_TRUE(line.waitFor("key: ", 1000000));
    line.send(WordM + "\r\n");  // the "m" variant is no key
    EXPECT_TRUE(line.waitFor("IOS>", 1000000));
    EXPECT_FALSE(has(line.take(), "mode."));

    line.send("py");
    EXPECT_TRUE(line.waitFor("key: ", 1000000));
    line.send(Word + "\r\n");
    EXPECT_TRUE(line.waitFor("mode.\r\n", 2000000)) << line.received;
    line.take();
    line.run(3000000);  // the LF after the key is no byte of the image
    EXPECT_EQ(line.received + line.device.receivedImage(), "");
}

TEST(EnclosureLoader, StoredRateTakesEffectWhenTheLoaderRestarts) {
    Line line(loader());
    line.send("Sy57600\r\n");
    EXPECT_TRUE(line.waitFor("IOS>", 1000000));
    EXPECT_EQ(line.device.deviceBaud(), 9600);
    line.send("b");
    EXPECT_TRUE(line.waitFor("b", 1000));
    line.setBaud(57600);
    EXPECT_TRUE(line.waitFor("IOS>", 2000000)) << line.received;
    EXPECT_EQ(line.device.deviceBaud(), 57600);
    EXPECT_TRUE(line.device.inLoader());  // no image yet: "b" restarts the loader

    // Rates it cannot run at, no rate, and a command cut short are refused; line
    // noise is ignored.
    line.send("Sy\rSy12345\rSy4800x\rZq!~#\x01\xAE\r");
    line.run(1000000);
    line.send("b");
    EXPECT_TRUE(line.waitFor("IOS>", 2000000));
    EXPECT_EQ(line.device.deviceBaud(), 57600);
}
