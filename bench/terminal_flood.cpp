// How long the window takes to get through a flood of received text without a line
// end, in terminal mode: the real window on Qt's offscreen platform, the real serial
// port on a pseudo-terminal, and a writer that sends the text as fast as the terminal
// takes it. Run for 200 KB and for 2 MB in one process, three times each in turn after
// one to warm up; the quickest of each counts, as the machine's other work only adds.
#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <cstdio>
#include <pty.h>
#include <thread>
#include <unistd.h>

#include "app/Engine.h"
#include "relay/Relay.h"
#include "gui/MainWindow.h"
#include "host/ComPortMapping.h"
#include "gui/WidgetDialogue.h"
#include "host/QtFileSystem.h"
#include "host/QtHost.h"
#include "host/QtSerialPort.h"
#include "host/QtSettingsStore.h"

namespace {

constexpr size_t Small = 200 * 1000;
constexpr size_t Large = 2 * 1000 * 1000;

struct Through {
    double wallSeconds = 0, cpuSeconds = 0;
    bool complete = false;
};

// Sends chars of text without a line end, then an end mark of its own, and waits until
// both the pane's text and the window show that mark.
Through flood(int master, Engine& k, QPlainTextEdit& view, size_t chars) {
    static int floods = 0;
    const std::string End = "<end of flood " + std::to_string(++floods) + ">";
    k.channel.ClearTerminal();
    std::string text;
    for (size_t i = 0; text.size() < chars; ++i) text += "flood " + std::to_string(i) + " ";
    text.resize(chars);
    text += End;

    const int64_t start = MonotonicNs();
    const double cpuStart = ProcessCpuSeconds(getpid());
    std::thread writer([&] {
        for (size_t at = 0; at < text.size();) {
            const ssize_t n = ::write(master, text.data() + at, text.size() - at);
            if (n <= 0) return;
            at += size_t(n);
        }
    });
    const auto endsWithEnd = [&End](const std::string& s) {
        return s.size() >= End.size() && s.compare(s.size() - End.size(), End.size(), End) == 0;
    };
    Through t;
    const int64_t limit = start + int64_t(300) * 1000000000;
    while (MonotonicNs() < limit) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
        if (endsWithEnd(k.ui.txtTerminal.text()) && view.document()->lastBlock().text().endsWith(QString::fromStdString(End))) {
            t.complete = true;
            break;
        }
    }
    t.wallSeconds = double(MonotonicNs() - start) / 1e9;
    t.cpuSeconds = ProcessCpuSeconds(getpid()) - cpuStart;
    writer.join();
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
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
    QtSettingsStore store;
    QtFileSystem files(store);
    WidgetDialogue dialogue([](const std::string& p) { return QString::fromStdString(p); },
                            [&host] { return host.yielding(); }, true);
    Engine k(port, host, dialogue, store, files, EngineSetup{{}, "."});
    ComPortMapping ports(store);
    MainWindow window(k, dialogue, ports);
    window.start();
    k.state.termMode = true;
    k.state.portNumber = 1;
    k.selectors.ShowPortNumber();
    k.selectors.SetBaud9600();
    auto* view = window.findChild<QPlainTextEdit*>(QStringLiteral("txtTerminal"));
    if (!port.isOpen() || !view) {
        std::fprintf(stderr, "the port on %s did not open\n", name);
        return 1;
    }

    std::printf("a flood of received text without a line end, terminal mode on, the window showing it:\n");
    flood(master, k, *view, Small);
    Through small, large;
    bool complete = true;
    for (int round = 0; round < 3; ++round)
        for (auto [chars, best] : {std::pair{Small, &small}, std::pair{Large, &large}}) {
            const Through t = flood(master, k, *view, chars);
            complete = complete && t.complete;
            if (round == 0 || t.wallSeconds < best->wallSeconds) best->wallSeconds = t.wallSeconds;
            if (round == 0 || t.cpuSeconds < best->cpuSeconds) best->cpuSeconds = t.cpuSeconds;
        }
    for (const auto& [chars, t] : {std::pair{Small, small}, std::pair{Large, large}})
        std::printf("  %7zu characters: %.3f s (CPU %.3f s), %.0f characters a second\n", chars, t.wallSeconds,
                    t.cpuSeconds, double(chars) / t.wallSeconds);
    std::printf("summary: 2 MB / 200 KB = %.2f in time (%.2f in CPU); 10 would be linear%s\n",
                large.wallSeconds / small.wallSeconds, large.cpuSeconds / small.cpuSeconds,
                complete ? "" : "; SOME FLOODS DID NOT GET THROUGH");
    port.close();
    ::close(master);
    ::close(slave);
    return 0;
}
