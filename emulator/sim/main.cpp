// kelvane-sim: the emulated enclosure CPU on a pseudo-terminal, and sample images.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "emulator/Enclosure.h"
#include "emulator/model/SampleImage.h"
#include "emulator/sim/Options.h"
#include "emulator/sim/Simulator.h"

namespace {

constexpr int UsageError = 3;

int makeImage(int argc, char** argv) {
    MakeImageOptions options;
    std::string error;
    switch (parseMakeImageOptions(argc, argv, options, error)) {
    case ParseResult::Help: std::fputs(SimUsage, stdout); return 0;
    case ParseResult::Error:
        std::fprintf(stderr, "kelvane-sim make-image: %s\n", error.c_str());
        return UsageError;
    case ParseResult::Run: break;
    }
    const std::string image = makeSampleImage(size_t(options.size), options.checksum, options.allBytes);
    std::ofstream out(options.outPath, std::ios::binary | std::ios::trunc);
    out.write(image.data(), std::streamsize(image.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "kelvane-sim make-image: cannot write %s\n", options.outPath.c_str());
        return UsageError;
    }
    std::printf("%s\n", Enclosure::checksumOf(image).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "make-image") == 0) return makeImage(argc - 1, argv + 1);
    SimOptions options;
    std::string error;
    switch (parseSimOptions(argc, argv, options, error)) {
    case ParseResult::Help: std::fputs(SimUsage, stdout); return 0;
    case ParseResult::Error:
        std::fprintf(stderr, "kelvane-sim: %s (see --help)\n", error.c_str());
        return UsageError;
    case ParseResult::Run: break;
    }
    return serve(options);
}
