// The CPU's application and loader, as the program's dialogues meet them.
#include <gtest/gtest.h>

#include "Line.h"

const std::string Word = "01KwgTHs837RyuLdXsZBov64";
const std::string WordM = "01KwgTHs837mRyuLdXsZBov64";

TEST(EnclosureApplication, AnswersTheProbeShowsItsSplashAndEntersItsLoader) {
    Line prompt;
    EXPECT_TRUE(prompt.ask("X\r\n", "X\r\nOS> ")) << prompt.received;
    EXPECT_TRUE(prompt.ask("~scr!", "OS> "));
    EXPECT_GT(prompt.take().size(), 20u);
    // Its console takes the loader's settings, and "b" restarts the CPU into the loader.
    prompt.send("Sy57600\r\nb");
    prompt.run(1000);
    prompt.setBaud(57600);
    EXPECT_TRUE(prompt.waitFor("\r\nIOS>", 1000000)) << prompt.received;
}

TEST(EnclosureLoader, ChallengeGivesWayOnlyToItsOwnWord) {
    using C = EnclosureConfig::Challenge;
    for (auto [kind, word, other, challenge] : {std::tuple{C::Plain, Word, WordM, Word + ": "},
                                                std::tuple{C::MVariant, WordM, Word, WordM + " :"}}) {
        EnclosureConfig c = loaderAt(9600);
        c.challenge = kind;
        Line line(c);
        // The probe of a locked loader ends in the challenge; so does a wrong word.
        EXPECT_TRUE(line.ask("X\r\n", challenge)) << line.received;
        EXPECT_TRUE(line.ask(other.substr(0, word.size()), challenge));
        EXPECT_TRUE(line.ask("pyx", challenge, 2000000));  // still locked: no erase, and "x" asks again
        EXPECT_FALSE(has(line.take(), "mode."));
        EXPECT_TRUE(line.ask(word, "IOS>")) << line.received;
        EXPECT_FALSE(has(line.received, challenge));

        c.rejectKey = true;
        Line refusing(c);
        refusing.send(word);
        refusing.run(1000000);
        EXPECT_TRUE(has(refusing.received, challenge) && !has(refusing.received, "IOS>")) << refusing.received;
    }
}

TEST(EnclosureLoader, TwoStepChallengeWantsTheMWordThenThePlainOne) {
    Line line(loaderAt(9600, [] {
        EnclosureConfig c;
        c.challenge = EnclosureConfig::Challenge::MThenPlain;
        return c;
    }()));
    EXPECT_TRUE(line.ask("X\r\n", WordM + " :")) << line.received;
    EXPECT_TRUE(line.ask(WordM, "\r\n" + Word + ": ")) << line.received;
    EXPECT_TRUE(line.ask(Word, "IOS>")) << line.received;
}

TEST(EnclosureLoader, KeyPromptsTakeOnlyTheUnlockWordAndCrLf) {
    EnclosureConfig c = loaderAt(9600);
    c.keyPromptOnPy = true;
    Line line(c);
    EXPECT_TRUE(line.ask("py", "key: "));
    EXPECT_TRUE(line.ask(WordM + "\r\n", "IOS>"));  // the "m" variant is no key
    EXPECT_FALSE(has(line.take(), "mode."));
    EXPECT_TRUE(line.ask("py", "key: "));
    EXPECT_TRUE(line.ask(Word + "\r\n", "mode.\r\n", 2000000)) << line.received;
    line.take();
    line.run(3000000);  // the LF after the key is no byte of the image
    EXPECT_EQ(line.received + line.device.receivedImage(), "");

    c.keyPromptDelayUs = 1500000;
    Line late(c);
    EXPECT_FALSE(late.ask("py", "key: ", 1400000));
    EXPECT_TRUE(late.waitFor("key: ", 200000));
}

TEST(EnclosureLoader, StoredRateTakesEffectWhenTheLoaderRestarts) {
    Line line(loaderAt(9600));
    EXPECT_TRUE(line.ask("Sy57600\r\n", "IOS>"));
    EXPECT_EQ(line.device.deviceBaud(), 9600);
    // Rates it cannot run at, no rate, and a command cut short are refused; line
    // noise is ignored.
    line.send("Sy\rSy12345\rSy4800x\rZq!~#\x01\xAE\r");
    line.run(1000000);
    EXPECT_TRUE(line.ask("b", "b", 1000));
    line.setBaud(57600);
    EXPECT_TRUE(line.waitFor("IOS>", 2000000)) << line.received;
    EXPECT_EQ(line.device.deviceBaud(), 57600);
    EXPECT_TRUE(line.device.inLoader());  // no image yet: "b" restarts the loader
}
