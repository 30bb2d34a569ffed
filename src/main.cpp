#include <QApplication>
#include <QByteArray>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "app/Engine.h"
#include "gui/GuiText.h"
#include "gui/MainWindow.h"
#include "gui/WidgetDialogue.h"
#include "host/ComPortMapping.h"
#include "host/HostPathMapping.h"
#include "host/ProgressLine.h"
#include "host/QtFileSystem.h"
#include "host/QtHost.h"
#include "host/QtSerialPort.h"
#include "host/QtSettingsStore.h"
#include "host/SignalBridge.h"

namespace {

constexpr int UsageExitCode = 3;
constexpr int NoDisplayExitCode = 6;
constexpr const char* NeedsDisplay =
    "kelvane: the window needs a display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
    "an unattended upload (-auto) runs without one";

bool startsWithNoCase(const char* text, const char* head) {
    for (; *head; ++text, ++head)
        if (std::tolower(static_cast<unsigned char>(*text)) != *head) return false;
    return true;
}

// Without a display only an unattended run has anything to do.
bool hasDisplay() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

bool unattendedRun(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (startsWithNoCase(argv[i], "-auto")) return true;
    return false;
}

// The command line as the engine takes it: the arguments joined by single blanks.
std::string rawCommandLine(int argc, char** argv) {
    std::string raw;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) raw += ' ';
        raw += argv[i];
    }
    return raw;
}

// An unattended run has no screen: the platform's remarks about that (and Qt's other
// warnings) would only clutter the calling script's output. Errors still get through.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg) return;
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

void printUsage() {
    const QString text = GuiText::lines(GuiText::fromLocal(CommandLine::UsageTitle() + "\r\n\r\n" + CommandLine::UsageText()));
    std::fputs(text.toLocal8Bit().constData(), stdout);
}

}  // namespace

int main(int argc, char** argv) {
    bool unattended = false;
    if (!hasDisplay()) {
        if (unattendedRun(argc, argv)) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            qInstallMessageHandler(quietMessages);
            unattended = true;
        } else if (argc > 1 && std::strncmp(argv[1], "-h", 2) == 0) {
            printUsage();
            return UsageExitCode;
        } else {
            std::fprintf(stderr, "%s\n", NeedsDisplay);
            return NoDisplayExitCode;
        }
    }

    QApplication app(argc, argv);
    // The program ends through its own close path, with its own exit code.
    app.setQuitOnLastWindowClosed(false);

    QtHost host;
    QtSerialPort port;
    QtSettingsStore store;
    QtFileSystem files(store);
    WidgetDialogue dialogue([&files](const std::string& path) { return files.mapping().toHost(path).path; },
                            unattended);
    // Qt has taken its own options out of argv by now.
    Engine engine(port, host, dialogue, store, files,
                  EngineSetup{rawCommandLine(argc, argv),
                              HostPathMapping::toEngine(QCoreApplication::applicationDirPath())});
    ComPortMapping ports(store);
    MainWindow window(engine, dialogue, ports);
    // Stopped from outside, the run ends as if Exit were pressed.
    SignalBridge signalBridge([&engine] { engine.lifecycle.cmdExitButton_Click(); });
    // An unattended run shows its transfer's progress on a terminal.
    std::optional<ProgressLine> progressLine;
    if (unattendedRun(argc, argv)) progressLine.emplace(engine.ui);

    window.start();
    return app.exec();
}
