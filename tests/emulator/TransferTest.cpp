// Erase, the image in acknowledged chunks, the checksum report and the restart into the
// new application.
#include <gtest/gtest.h>

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
