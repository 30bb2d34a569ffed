// Erase, the image in acknowledged chunks, the checksum report and the restart into the
// new application.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <set>
#include <tuple>

#include "Line.h"
#include "emulator/model/SampleImage.h"

namespace {

const std::string Ack = "\xAE ";
constexpr size_t Chunk = 1024;

// A loader at 57600 that has erased its application block and waits for the image.
struct Loader : Line {
    explicit Loader(EnclosureConfig c = {}) : Line(loaderAt(57600, c)) {
        EXPECT_TRUE(ask("py", "mode.\r\n", 2000000));
        take();
    }
};

}  // namespace

TEST(EnclosureTransfer, AcknowledgesEachChunkReportsTheChecksumInTimeAndStartsTheNewApplication) {
    for (const std::string& image : {makeSampleImage(3000, true, true), makeSampleImage(2 * Chunk, true, false)}) {
        SCOPED_TRACE(image.size());
        Loader line;
        // The program's way: a chunk, then up to 3 s for its acknowledgement. A short
        // last chunk is answered once the line pauses; after a full one the loader
        // cannot know yet that nothing follows.
        for (size_t at = 0; at < image.size(); at += Chunk) {
            // A host slow to turn round after an acknowledgement has not ended the image.
            line.run(at == 0 ? 0 : 1000000);
            line.ask(image.substr(at, Chunk), Ack, 3000000);
            EXPECT_EQ(line.take(), Ack) << at;
        }
        const int64_t lastAck = line.now;
        ASSERT_TRUE(line.waitFor(">", 3000000)) << line.received;
        EXPECT_LT(line.now - lastAck, 2500000);  // the program waits at least 2.5 s for ">"
        EXPECT_EQ(line.take(), "\r\nCHECKSUM: " + Enclosure::checksumOf(image) + "\r\nIOS>");
        EXPECT_TRUE(line.device.uploadComplete());
        EXPECT_TRUE(line.device.receivedImage() == image);

        ASSERT_TRUE(line.ask("Sy9600\r", "IOS>"));
        ASSERT_TRUE(line.ask("b", "b"));
        line.setBaud(9600);
        ASSERT_TRUE(line.waitFor("Ready\r\n", 10000000)) << line.received;
        EXPECT_TRUE(line.ask("X\r\n", "OS> "));
    }
}

TEST(EnclosureTransfer, ALateAcknowledgementComesAfterTheProgramsWaitAndTheImageGoesOn) {
    const std::string image = makeSampleImage(2 * Chunk, false, false);
    EnclosureConfig late;
    late.lateAckAtChunk = 0;
    late.lateAckUs = 4000000;
    Loader slow(late);
    EXPECT_FALSE(slow.ask(image.substr(0, Chunk), Ack, 3000000));
    EXPECT_TRUE(slow.waitFor(Ack, 1100000));
    // Waiting for its own late answer is no quiet line: the image goes on.
    EXPECT_TRUE(slow.ask(image.substr(Chunk, Chunk), Ack, 1000));
}

TEST(EnclosureTransfer, ErasesAndReportsInTheFormItIsToldTo) {
    using L = EnclosureConfig::ChecksumLine;
    const std::string image = makeSampleImage(1500, true, false);
    const std::string sum = Enclosure::checksumOf(image);
    std::string lower = sum;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    const std::string Unsolicited = "\r\nSupply 24.1 V, fan 2 ok\r\n";
    using Set = std::function<void(EnclosureConfig&)>;
    const std::tuple<const char*, Set, std::string> cases[] = {
        {"as it should", [](auto&) {}, Ack + Ack + "\r\nCHECKSUM: " + sum + "\r\nIOS>"},
        {"lower case", [](auto& c) { c.checksumLine = L::LowerCase; }, Ack + Ack + "\r\nchecksum: " + lower + "\r\nIOS>"},
        {"no blank", [](auto& c) { c.checksumLine = L::NoBlank; }, Ack + Ack + "\r\nCHECKSUM:" + sum + "\r\nIOS>"},
        {"long", [](auto& c) { c.checksumLine = L::Long; }, Ack + Ack + "\r\nCHECKSUM: 0x" + sum + "\r\nIOS>"},
        {"missing", [](auto& c) { c.checksumLine = L::Missing; }, Ack + Ack + "\r\nIOS>"},
        {"flood", [](auto& c) { c.floodChars = 20; }, Ack + Ack + "\r\nCHECKSUM: " + (sum + sum + sum).substr(0, 20)},
        {"unsolicited", [](auto& c) { c.unsolicitedAtChunk = 0; },
         Ack + Unsolicited + Ack + "\r\nCHECKSUM: " + sum + "\r\nIOS>"},
    };
    for (const auto& [name, set, report] : cases) {
        SCOPED_TRACE(name);
        EnclosureConfig c;
        set(c);
        Loader line(c);
        line.send(image);
        line.run(3000000);
        EXPECT_EQ(line.take(), report);
    }

    // A disputed checksum is never the true one, whatever its last digit.
    EnclosureConfig disputing;
    disputing.wrongChecksum = true;
    std::set<bool> endsInZero;
    for (int size = 1000; endsInZero.size() < 2; ++size) {
        const std::string file = makeSampleImage(size, false, false);
        Loader line(disputing);
        line.send(file);
        ASSERT_TRUE(line.waitFor(">", 3000000));
        EXPECT_NE(line.device.reportedChecksum(), Enclosure::checksumOf(file));
        endsInZero.insert(Enclosure::checksumOf(file).back() == '0');
    }

    // An erase that takes its time.
    EnclosureConfig slow;
    slow.eraseUs = 3000000;
    Line erasing(loaderAt(57600, slow));
    EXPECT_FALSE(erasing.ask("py", "mode.\r\n", 2900000));
    EXPECT_TRUE(erasing.waitFor("mode.\r\n", 200000));
}
