// What a terminal server costs an upload: kelvane -auto through ser2net's RFC 2217
// accepter on loopback, and the same upload through the local pseudo-terminal, side by
// side, both through the pacing relay at 57600 baud.
#include <cstdio>
#include <string>
#include <thread>

#include "bench/support/Programs.h"

namespace {

constexpr size_t Sizes[] = {64 * 1024, 256 * 1024};
constexpr int AckChars = 2;
constexpr double CharsPerSecond = 5760;
constexpr const char* ImageStart = "// ZQ Encoded Image File";

double efficiency(size_t chars, const UploadRun& run) {
    return run.line.complete && run.intact ? double(chars) / (run.line.seconds * CharsPerSecond) : 0;
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Workspace work;
    std::printf("transfer efficiency (image characters / (transfer seconds x 5760)) through ser2net's RFC 2217 "
                "accepter on loopback and through the local pseudo-terminal, paced at 57600 baud\n\n");
    std::printf("%-9s %10s %10s %14s\n", "image", "local", "ser2net", "ser2net/local");
    double worst = 1e9;
    for (size_t size : Sizes) {
        const std::string image = work.image(size);
        UploadRun local, network;
        UploadSetup setup;
        setup.line = {true, 0, ImageStart, size, AckChars, 0};
        UploadSetup remote = setup;
        remote.throughSer2net = true;
        const std::string tag = std::to_string(size);
        std::thread a([&] { local = Upload(work, image, setup, "local-" + tag); });
        std::thread b([&] { network = Upload(work, image, remote, "net-" + tag); });
        a.join();
        b.join();
        const double l = efficiency(size, local), n = efficiency(size, network);
        const double ratio = l > 0 ? n / l : 0;
        std::printf("%5zu KiB %10.4f %10.4f %14.4f%s\n", size / 1024, l, n, ratio,
                    local.intact && network.intact ? "" : "  (AN UPLOAD FAILED)");
        worst = std::min(worst, ratio);
    }
    std::printf("\nsummary: through ser2net an upload keeps at least %.4f of its efficiency through the local "
                "pseudo-terminal (goal: 0.99 or more)\n",
                worst);
    return 0;
}
