// How close an upload comes to the line's limit: kelvane -auto and XMODEM-1K (lrzsz's
// sx -k and rx -c) through the same pacing relay at 57600 baud, with a device that
// answers 0, 5 and 16 ms after the end of what it was sent. Each turnaround runs its
// uploads side by side, so that all of them meet the same machine.
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/Programs.h"

namespace {

constexpr size_t Sizes[] = {64 * 1024, 256 * 1024};
constexpr double TurnaroundsMs[] = {0, 5, 16};
constexpr size_t Chunk = 1024;
constexpr int AckChars = 2;
constexpr const char* ImageStart = "// ZQ Encoded Image File";

// Characters a second on the line at the host's rate.
double lineRate(int baud) { return baud / 10.0; }

// Kelvane's protocol at best: each chunk takes its characters, the two of its
// acknowledgement and the device's turnaround.
double ceiling(double turnaroundMs, double rate) { return Chunk / (Chunk + AckChars + rate * turnaroundMs / 1000); }

double efficiency(size_t chars, const Relay::Figures& f) {
    return f.complete && f.baud > 0 ? double(chars) / (f.seconds * lineRate(f.baud)) : 0;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Workspace work;
    std::printf("transfer efficiency: image characters / (transfer seconds x characters a second of the line),\n"
                "through a relay that paces both directions to the host port's rate (57600 baud: 5760 a second)\n\n");
    std::printf("%-11s %-9s %9s %9s %11s %9s %11s\n", "turnaround", "image", "ceiling", "Kelvane", "of ceiling",
                "XMODEM-1K", "Kelvane/X");
    double worstOfCeiling = 2, worstOverXmodem = 1e9;
    bool allIntact = true;
    for (const double turnaround : TurnaroundsMs) {
        struct Row {
            size_t size;
            UploadRun kelvane;
            XmodemRun xmodem;
        };
        std::vector<Row> rows;
        for (size_t size : Sizes) rows.push_back({size, {}, {}});
        std::vector<std::thread> runs;
        for (Row& row : rows) {
            const std::string image = work.image(row.size);
            const std::string tag = std::to_string(int(turnaround)) + "ms-" + std::to_string(row.size);
            UploadSetup setup;
            setup.line = {true, turnaround, ImageStart, row.size, AckChars, 0};
            runs.emplace_back([&work, &row, image, setup, tag] { row.kelvane = Upload(work, image, setup, "k" + tag); });
            const Relay::Options line{true, turnaround, {}, row.size, 0, 0};
            runs.emplace_back([&work, &row, image, line, tag] { row.xmodem = Xmodem(work, image, line, "x" + tag); });
        }
        for (std::thread& t : runs) t.join();
        for (const Row& row : rows) {
            const double rate = lineRate(row.kelvane.line.baud ? row.kelvane.line.baud : 57600);
            const double top = ceiling(turnaround, rate);
            const double k = efficiency(row.size, row.kelvane.line);
            const double x = efficiency(row.size, row.xmodem.line);
            std::printf("%8.0f ms %5zu KiB %9.4f %9.4f %11.4f %9.4f %11.3f%s%s\n", turnaround, row.size / 1024, top, k,
                        k / top, x, x > 0 ? k / x : 0, row.kelvane.intact ? "" : "  (Kelvane's upload FAILED)",
                        row.xmodem.intact ? "" : "  (XMODEM transfer FAILED)");
            allIntact = allIntact && row.kelvane.intact && row.xmodem.intact;
            worstOfCeiling = std::min(worstOfCeiling, k / top);
            if (x > 0) worstOverXmodem = std::min(worstOverXmodem, k / x);
        }
    }
    std::printf("\nsummary: Kelvane reaches at least %.4f of its protocol's ceiling at every turnaround and size, "
                "and at least %.3f times XMODEM-1K's efficiency%s\n",
                worstOfCeiling, worstOverXmodem, allIntact ? "; every transfer arrived byte for byte" : "; SOME TRANSFERS FAILED");
    return 0;
}
