// What the host itself costs, measured on kelvane -auto against kelvane-sim: its
// reaction to an acknowledgement and its CPU time per MiB for a small and a large
// image through a relay that passes characters on at once, its peak memory, its CPU
// time while the line stays silent, and how eight uploads side by side compare with one.
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/Programs.h"

namespace {

constexpr size_t Small = 64 * 1024;
constexpr size_t Large = 4 * 1024 * 1024;
constexpr double MiB = 1024.0 * 1024.0;
constexpr int Parallel = 8;
constexpr size_t ParallelImage = 32 * 1024;

struct Costs {
    UploadRun run;
    double medianMs = 0, p95Ms = 0, cpuPerMiB = 0;
};

Costs unpaced(Workspace& work, size_t size) {
    UploadSetup setup;
    setup.line = {false, 0, "// ZQ Encoded Image File", size, 2, 0};
    Costs c;
    c.run = Upload(work, work.image(size), setup, "unpaced-" + std::to_string(size));
    c.medianMs = Fractile(c.run.line.reactionsMs, 0.5);
    c.p95Ms = Fractile(c.run.line.reactionsMs, 0.95);
    c.cpuPerMiB = c.run.line.cpuSeconds / (double(size) / MiB);
    return c;
}

const char* verdict(bool intact) { return intact ? "" : "  (UPLOAD FAILED)"; }

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Workspace work;

    std::printf("host reaction (acknowledgement delivered to the next chunk's first character read) and CPU\n"
                "time of the transfer, through a relay that passes characters on at once:\n");
    const Costs small = unpaced(work, Small), large = unpaced(work, Large);
    for (const Costs* c : {&small, &large})
        std::printf("  %5zu KiB: reaction median %.3f ms, 95th percentile %.3f ms (%zu chunks); CPU %.3f s per MiB%s\n",
                    (c == &small ? Small : Large) / 1024, c->medianMs, c->p95Ms, c->run.line.reactionsMs.size(),
                    c->cpuPerMiB, verdict(c->run.intact));
    std::printf("summary: reaction 4 MiB / 64 KiB = %.2f (median), %.2f (95th percentile); median %.3f ms at 4 MiB\n",
                large.medianMs / small.medianMs, large.p95Ms / small.p95Ms, large.medianMs);
    std::printf("summary: CPU per MiB 4 MiB / 64 KiB = %.2f; %.3f s of CPU per MiB at 4 MiB\n",
                large.cpuPerMiB / small.cpuPerMiB, large.cpuPerMiB);
    std::printf("summary: peak resident memory for a 4 MiB image %.1f MiB (%.2f times the image)\n\n",
                double(large.run.kelvane.maxRssKiB) / 1024, double(large.run.kelvane.maxRssKiB) * 1024 / double(Large));

    {
        // Through a relay that passes everything on at once, which tells when the first
        // probe went out: from then on the run only waits for answers.
        UploadSetup silent;
        silent.line = {false, 0, {}, 0, 0, 0};
        silent.simSwitches = {"--silent"};
        const UploadRun idle = Upload(work, work.image(Small), silent, "silent");
        const double waitWall = double(idle.endedNs - idle.line.startNs) / 1e9;
        const double waitCpu = idle.kelvane.cpuSeconds - idle.line.startCpuSeconds;
        std::printf("an unattended run against a silent line (exit code %d):\n"
                    "  whole run: wall %.2f s, CPU %.3f s (%.4f); from its first probe on: wall %.2f s, CPU %.3f s\n",
                    idle.kelvane.code, idle.kelvane.wallSeconds, idle.kelvane.cpuSeconds,
                    idle.kelvane.cpuSeconds / idle.kelvane.wallSeconds, waitWall, waitCpu);
        std::printf("summary: idle CPU / wall = %.4f from the first probe on (%.4f with the start-up)\n\n",
                    waitCpu / waitWall, idle.kelvane.cpuSeconds / idle.kelvane.wallSeconds);
    }

    {
        UploadSetup paced;
        paced.relay = false;
        paced.simSwitches = {"--pace"};
        const std::string image = work.image(ParallelImage);
        const UploadRun one = Upload(work, image, paced, "alone");
        std::vector<UploadRun> many(Parallel);
        double slowest = 0;
        bool allIntact = one.intact;
        {
            std::vector<std::thread> runs;
            for (int i = 0; i < Parallel; ++i)
                runs.emplace_back([&, i] { many[size_t(i)] = Upload(work, image, paced, "side-by-side-" + std::to_string(i)); });
            for (std::thread& t : runs) t.join();
        }
        for (const UploadRun& r : many) {
            slowest = std::max(slowest, r.kelvane.wallSeconds);
            allIntact = allIntact && r.intact;
        }
        std::printf("%d uploads of %zu KiB side by side on lines with real timing, against one alone:\n"
                    "  one %.2f s, the slowest of %d %.2f s\n",
                    Parallel, ParallelImage / 1024, one.kelvane.wallSeconds, Parallel, slowest);
        std::printf("summary: %d parallel / one = %.3f%s\n", Parallel, slowest / one.kelvane.wallSeconds,
                    allIntact ? "; every upload arrived byte for byte" : "; SOME UPLOADS FAILED");
    }
    return 0;
}
