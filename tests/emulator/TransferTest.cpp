// Erase, the image in acknowledged chunks, the checksum report and the restart into the
// new application; and the sample images the emulator writes.
#include <gtest/gtest.h>

#include <set>

#include "Line.h"
#include "emulator/model/SampleImage.h"

namespace {

const std::string Ack = std::string("\xAE") + " ";
constexpr size_t Chunk = 1024;

EnclosureConfig fastLoader(EnclosureConfig c = {}) {
    c.startInLoader = true;
    c.loaderBaud = 57600;
    return c;
}

// The loader erases its application block and waits for the image.
void erase(Line& line) {
    line.setBaud(57600);
    line.send("py");
    EXPECT_TRUE(line.waitFor("mode.\r\n", 2000000));
    line.take();
}

// The program's way: a chunk, then up to 3 s for its acknowledgement. Returns what
// arrived after each chunk.
std::vector<std::string> sendImage(Line& line, const std::string& image) {
    std::vector<std::string> answers;
    for (size_t at = 0; at < image.size(); at += Chunk) {
        line.send(image.substr(at, Chunk));
        line.waitFor(Ack, 3000000);
        answers.push_back(line.take());
    }
    return answers;
}

// The expected checksum as the program reads it from a file: "checksum:" starting in
// the first 999 characters, one separator, then up to the line end (at most 13).
std::string declaredChecksum(const std::string& file) {
    const size_t q = file.substr(0, 999 + 8).find("checksum:");
    if (q == std::string::npos || q > 998) return {};
    const std::string w = file.substr(q, 25);
    size_t i = 10;
    char c = 0;
    while (i != w.size() && c != '\r' && c != '\n') c = w[i++ - 1];
    return i < 12 ? "(cut short)" : w.substr(10, i - 12);
}

}  // namespace

TEST(EnclosureTransfer, AcknowledgesEachChunkAndReportsTheChecksumInTime) {
    for (size_t size : {size_t(3000), 2 * Chunk}) {
        const std::string image = makeSampleImage(size, true, false);
        Line line(fastLoader());
        erase(line);
        const auto answers = sendImage(line, image);
        // A short last chunk is answered once the line pauses; after a full one the
        // loader cannot know yet that nothing follows.
        EXPECT_EQ(answers, std::vector<std::string>(answers.size(), Ack)) << size;
        const int64_t lastAck = line.now;
        ASSERT_TRUE(line.waitFor(">", 3000000)) << line.received;
        EXPECT_LT(line.now - lastAck, 2500000);  // the program waits at least 2.5 s for ">"
        EXPECT_EQ(line.received, "\r\nCHECKSUM: " + declaredChecksum(image) + "\r\nIOS>");
        EXPECT_TRUE(line.device.uploadComplete());
        EXPECT_EQ(line.device.receivedImage(), image);
    }
}

TEST(EnclosureTransfer, ChecksumFollowsWhatArrivedOrLiesWhenToldTo) {
    const std::string image = makeSampleImage(1500, true, false);
    std::string corrupted = image;
    corrupted[1200] ^= 0x20;
    Line line(fastLoader());
    erase(line);
    sendImage(line, corrupted);
    ASSERT_TRUE(line.waitFor("IOS>", 3000000));
    EXPECT_EQ(line.device.reportedChecksum(), Enclosure::checksumOf(corrupted));
    EXPECT_NE(line.device.reportedChecksum(), declaredChecksum(image));

    EnclosureConfig c;
    c.wrongChecksum = true;
    Line liar(fastLoader(c));
    erase(liar);
    sendImage(liar, image);
    ASSERT_TRUE(liar.waitFor("IOS>", 3000000));
    EXPECT_EQ(liar.device.receivedImage(), image);
    EXPECT_NE(liar.device.reportedChecksum(), Enclosure::checksumOf(image));
}

TEST(EnclosureTransfer, DroppedAndLateAcknowledgements) {
    const std::string image = makeSampleImage(4 * Chunk, false, false);
    EnclosureConfig drop;
    drop.dropAckAtChunk = 1;
    Line dropped(fastLoader(drop));
    erase(dropped);
    dropped.send(image.substr(0, 2 * Chunk));
    dropped.run(1000000);
    EXPECT_EQ(dropped.take(), Ack);
    dropped.send(image.substr(2 * Chunk, Chunk));  // only that answer is lost
    EXPECT_TRUE(dropped.waitFor(Ack, 1000));

    EnclosureConfig late;
    late.lateAckAtChunk = 0;
    late.lateAckUs = 4000000;
    Line slow(fastLoader(late));
    erase(slow);
    slow.send(image.substr(0, Chunk));
    EXPECT_FALSE(slow.waitFor(Ack, 3000000));
    EXPECT_TRUE(slow.waitFor(Ack, 1100000));
    // Waiting for its own late answer is no quiet line: the image goes on.
    slow.send(image.substr(Chunk, Chunk));
    EXPECT_TRUE(slow.waitFor(Ack, 1000));
}

TEST(EnclosureTransfer, AfterAnUploadRestartStartsTheNewApplicationAt9600) {
    const std::string image = makeSampleImage(1100, true, false);
    Line line(fastLoader());
    erase(line);
    sendImage(line, image);
    ASSERT_TRUE(line.waitFor("IOS>", 3000000));
    line.send("Sy9600\r");
    ASSERT_TRUE(line.waitFor("IOS>", 1000000));
    line.send("b");
    ASSERT_TRUE(line.waitFor("b", 1000000));
    line.setBaud(9600);
    ASSERT_TRUE(line.waitFor("Ready\r\n", 10000000)) << line.received;
    EXPECT_FALSE(line.device.inLoader());
    line.send("X\r\n");
    EXPECT_TRUE(line.waitFor("OS> ", 1000000));
}

TEST(SampleImage, PassesTheFileChecksAndCarriesTheChecksumTheCpuReports) {
    for (size_t size : {size_t(1025), size_t(5000), size_t(10)}) {
        const std::string image = makeSampleImage(size, true, false);
        EXPECT_EQ(image.size(), std::max<size_t>(size, 45));  // never less than the header
        EXPECT_EQ(image.substr(0, 24), "// ZQ Encoded Image File");
        EXPECT_EQ(declaredChecksum(image).size(), 8u);
        EXPECT_EQ(declaredChecksum(image), Enclosure::checksumOf(image)) << size;
    }
    EXPECT_EQ(declaredChecksum(makeSampleImage(3000, false, false)), "");

    // Every byte value goes through the model untouched, and the header stays first.
    const std::string all = makeSampleImage(2000, true, true);
    EXPECT_EQ(std::set<char>(all.begin(), all.end()).size(), 256u);
    Line line(fastLoader());
    erase(line);
    sendImage(line, all);
    ASSERT_TRUE(line.waitFor("IOS>", 3000000));
    EXPECT_EQ(line.device.receivedImage(), all);
    EXPECT_EQ(line.device.reportedChecksum(), declaredChecksum(all));
}
