#include "ios/ImageTransfer.h"

#include <cstdint>
#include <string>

#include "app/Engine.h"

namespace {

constexpr size_t ChunkSize = 1024;
// Every chunk is answered with two characters, the first of them the acknowledgement.
constexpr int64_t AckStride = 2;
constexpr char Ack = '.';
constexpr int AckSeconds = 3;

}  // namespace

void ImageTransfer::TransferImage() {
    CommandChannel& ch = k_.channel;
    State& s = k_.state;
    const Control& pane = k_.ui.txtTerminal;
    if (s.stopRequested) return;

    ch.ClearReceiveBuffer();
    s.transferActive = true;

    // Positions count from 1 in the pane as it would be had it never been trimmed: a
    // long image fills the pane past its limit, and the trim must not move the
    // acknowledgements away from where they are looked for.
    const int64_t trimmedAtStart = ch.TrimmedChars();
    auto shift = [&] { return ch.TrimmedChars() - trimmedAtStart; };
    auto paneLength = [&] { return static_cast<int64_t>(pane.text().size()) + shift(); };
    auto charAt = [&](int64_t position) {
        const int64_t index = position - shift() - 1;
        const std::string& text = pane.text();
        return index >= 0 && index < static_cast<int64_t>(text.size()) ? text[static_cast<size_t>(index)] : '\0';
    };

    const std::string& image = s.imageText;
    size_t nextStart = 0;
    int64_t expected = paneLength() + 1;
    int64_t previousLength = 0;
    k_.result.TransferBegins(int64_t(image.size()), int64_t((image.size() + ChunkSize - 1) / ChunkSize));

    k_.readback.MarkImageEnd();
    while (!s.stopRequested && nextStart < image.size()) {
        s.commandText = image.substr(nextStart, ChunkSize);
        ch.SendText(s.commandText);
        // Nothing has been read since the write: all the pane gets from now on came after it.
        k_.readback.MarkImageEnd();
        ch.DoEvents();
        k_.ui.ProgressBar1.setValue(static_cast<int>(nextStart + 1));
        k_.result.ChunkSent(int64_t(nextStart));
        ch.DoEvents();
        nextStart += ChunkSize;

        ch.WaitUntil(AckSeconds, [&] { return charAt(expected) == Ack; });
        const int64_t length = paneLength();
        const char found = charAt(expected);
        // Every chunk, the last ones too: a loader that stops answering near the end
        // holds part of an image, and whatever follows would reach its prompt as commands.
        if (length <= previousLength || found != Ack) {
            s.commFailed = true;
            s.stopRequested = true;
            return;
        }
        k_.result.ChunkAcknowledged();
        previousLength = paneLength();
        expected += AckStride;
        // The bar marks where each chunk starts; once the last one is acknowledged it is full.
        if (nextStart >= image.size()) k_.ui.ProgressBar1.setValue(k_.ui.ProgressBar1.maximum());
    }
    if (!s.stopRequested) k_.result.TransferComplete();
}
