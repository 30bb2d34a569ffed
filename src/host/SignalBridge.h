#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a call on the event loop's thread, so that a run
// stopped from outside ends as if its Exit button were pressed: the upload stops, the
// port closes, and the process exits with its exit code. A closed terminal (SIGHUP) goes
// to onHangUp where one is given (an unattended run carries on without its terminal),
// else it stops the run too. SIGPIPE is ignored: a reader that went away makes a write
// fail, never the process end. The signal handler only writes the signal's number into
// a pipe; the notifier reads it back on the event loop.
class SignalBridge : public QObject {
    Q_OBJECT
public:
    explicit SignalBridge(std::function<void()> onStop, std::function<void()> onHangUp = {},
                          QObject* parent = nullptr);
    ~SignalBridge() override;
    SignalBridge(const SignalBridge&) = delete;
    SignalBridge& operator=(const SignalBridge&) = delete;

    // False where the signals could not be caught (no pipe, or no such signals).
    bool active() const { return notifier_ != nullptr; }

private:
    void readPipe();

    std::function<void()> onStop_;
    std::function<void()> onHangUp_;
    QSocketNotifier* notifier_ = nullptr;
};
