#include <QApplication>
#include <QByteArray>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "app/CommandLine.h"
#include "app/Engine.h"
#include "app/Version.h"
#include "gui/GuiText.h"
#include "gui/MainWindow.h"
#include "gui/WidgetDialogue.h"
#include "host/ComPort.h"
#include "host/ComPortMapping.h"
#include "host/HostPathMapping.h"
#include "host/ProgressLine.h"
#include "host/QtFileSystem.h"
#include "host/QtHost.h"
#include "host/QtSettingsStore.h"
#include "host/QtUploadHistory.h"
#include "host/SignalBridge.h"

namespace {

constexpr int UsageExitCode = 3;
constexpr int NoDisplayExitCode = 6;
constexpr const char* NeedsDisplay =
    "kelvane: the window needs a display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
    "an unattended upload (-auto) runs without one";
constexpr const char* Offscreen = "offscreen";
// The GNU habit, as the first argument only: every other first argument is a file name.
constexpr const char* VersionOption = "--version";

// Without a display only an unattended run has anything to do.
bool hasDisplay() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

// Qt tries the platforms of a list in turn, so a display that cannot be opened leaves
// the offscreen platform instead of an abort. True when offscreen was added here, that
// is when ending up on it means the display could not be opened.
bool addOffscreenFallback() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    QByteArray platforms = qgetenv("QT_QPA_PLATFORM");
    for (const QByteArray& platform : platforms.split(';'))
        if (platform.split(':').front() == Offscreen) return false;
    if (platforms.isEmpty()) platforms = qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ? "xcb" : "wayland;xcb";
    qputenv("QT_QPA_PLATFORM", platforms + ';' + Offscreen);
    return true;
#else
    return false;
#endif
}

QByteArray displayName() {
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    return qEnvironmentVariableIsEmpty("DISPLAY") ? wayland : qgetenv("DISPLAY");
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
    if (argc > 1 && std::strcmp(argv[1], VersionOption) == 0) {
        std::printf("%s %d.%d.%d\n", Version::Title, Version::Major, Version::Minor, Version::Revision);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : NoDisplayExitCode;
    }
    // The parser alone says whether the run is unattended, before a platform is chosen.
    const CommandLine::StartMode mode = CommandLine::ModeOf(rawCommandLine(argc, argv));
#ifdef Q_OS_UNIX
    // A terminal closed before the signals are caught must not end an unattended run either.
    if (mode.unattended) ::signal(SIGHUP, SIG_IGN);
#endif
    bool offscreenAdded = false;
    if (hasDisplay()) {
        offscreenAdded = addOffscreenFallback();
    } else if (mode.unattended) {
        qputenv("QT_QPA_PLATFORM", Offscreen);
    } else if (mode.usage) {
        printUsage();
        return UsageExitCode;
    } else {
        std::fprintf(stderr, "%s\n", NeedsDisplay);
        return NoDisplayExitCode;
    }
    // The platform's complaints about a display it could not open are said below in one line.
    qInstallMessageHandler(quietMessages);

    QApplication app(argc, argv);
    // Caught from here on: a stop asked for during start-up waits in the bridge for the
    // first event loop, which runs once the window exists.
    Engine* running = nullptr;
    // An unattended run outlives its terminal: the upload goes on, only the progress line
    // stops. The window ends on a hang-up as on a termination.
    ProgressLine* progress = nullptr;
    std::function<void()> onHangUp;
    if (mode.unattended)
        onHangUp = [&progress] {
            if (progress) progress->Abandon();
        };
    SignalBridge signalBridge([&running] {
        if (!running) return;
        running->result.StopAsked(UploadResult::StopSource::Signal);
        running->lifecycle.cmdExitButton_Click();
    }, onHangUp);
    // A display that cannot be opened counts as none.
    if (offscreenAdded && QGuiApplication::platformName() == QLatin1String(Offscreen) && !mode.unattended) {
        if (mode.usage) {
            printUsage();
            return UsageExitCode;
        }
        const QByteArray display = displayName();
        if (display.isEmpty())
            std::fprintf(stderr, "%s\n", NeedsDisplay);
        else
            std::fprintf(stderr,
                         "kelvane: the window cannot open the display \"%s\"; "
                         "an unattended upload (-auto) runs without one\n",
                         display.constData());
        return NoDisplayExitCode;
    }
    if (!mode.unattended) qInstallMessageHandler(nullptr);
    const bool screenless = mode.unattended && QGuiApplication::platformName() == QLatin1String(Offscreen);
    // The program ends through its own close path, with its own exit code.
    app.setQuitOnLastWindowClosed(false);

    QtHost host;
    ComPort port;
    QtSettingsStore store;
    QtFileSystem files(store);
    WidgetDialogue dialogue([&files](const std::string& path) { return files.mapping().toHost(path).path; },
                            [&host] { return host.yielding(); }, screenless);
    // Qt has taken its own options out of argv by now.
    Engine engine(port, host, dialogue, store, files,
                  EngineSetup{rawCommandLine(argc, argv),
                              HostPathMapping::toEngine(QCoreApplication::applicationDirPath())});
    QtUploadHistory history;
    engine.history = &history;
    ComPortMapping ports(store);
    MainWindow window(engine, dialogue, ports);
    window.addUploadHistory(history);
    // Stopped from outside, the run ends as if Exit were pressed.
    running = &engine;
    // An unattended run shows its transfer's progress on a terminal.
    std::optional<ProgressLine> progressLine;
    if (mode.unattended) progress = &progressLine.emplace(engine.ui);

    window.start();
    // An exit asked for during start-up, before the event loop ran, ends the run too.
    if (const std::optional<int> code = host.exitCode()) return *code;
    const int code = app.exec();
    return host.exitCode().value_or(code);
}
