// What a long timed wait on a quiet line costs: a ten-second wait through the real
// event pump and serial port, on a pseudo-terminal nobody writes to. Prints the wall
// time, the process CPU time it took and the number of passes of the wait loop.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>

#include "app/Engine.h"
#include "host/QtFileSystem.h"
#include "host/QtHost.h"
#include "host/QtSerialPort.h"
#include "host/QtSettingsStore.h"
#include "ios/LoaderTexts.h"

namespace {

constexpr int WaitSeconds = 10;

// Nothing here asks the user anything; a message would only mean the setup failed.
class ConsoleDialogue : public UserDialogue {
public:
    void messageBox(const std::string& text, const std::string&) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
    void usageBox(const std::string& text, const std::string& title) override { messageBox(text, title); }
    std::string openFile(const FileDialogRequest&) override { return {}; }
    void showChecksumViewer(const std::string&, const std::string&) override {}
    void closeChecksumViewer() override {}
    void showAbout() override {}
    void closeAbout() override {}
    void closeMainWindow() override {}
};

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir config;  // keeps the user's own settings out of it
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());

    int master = -1, slave = -1;
    char name[256];
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    qputenv("KELVANE_COM1", name);

    QtHost host;
    QtSerialPort port;
    ConsoleDialogue dialogue;
    QtSettingsStore store;
    QtFileSystem files(store);
    Engine k(port, host, dialogue, store, files, EngineSetup{{}, "."});
    k.state.autoMode = true;
    k.state.termMode = true;
    k.selectors.FillPortAndBaudLists();
    k.state.portNumber = 1;
    k.selectors.ShowPortNumber();
    k.selectors.SetBaud9600();
    if (!port.isOpen()) {
        std::fprintf(stderr, "the port on %s did not open\n", name);
        return 1;
    }

    long passes = 0;
    const int64_t wallStart = host.clockMs();
    const double cpuStart = cpuSeconds();
    k.channel.WaitUntil(WaitSeconds, [&] {
        ++passes;
        return k.channel.BufferEndsWith({LoaderTexts::IosPrompt});
    });
    const double cpu = cpuSeconds() - cpuStart;
    const double wall = double(host.clockMs() - wallStart) / 1000.0;

    std::printf("timed wait of %d s on an idle line (%s)\n", WaitSeconds, name);
    std::printf("  wall time     %.3f s\n", wall);
    std::printf("  CPU time      %.4f s (%.2f%% of the wait)\n", cpu, 100.0 * cpu / wall);
    std::printf("  wait passes   %ld (%.0f per second)\n", passes, double(passes) / wall);
    port.close();
    ::close(master);
    ::close(slave);
    return 0;
}
