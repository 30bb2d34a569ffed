#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a call on the event loop's thread, so that a run
// stopped from outside ends as if its Exit button were pressed: the upload stops,
// the port closes, and the process exits with its exit code. The signal handler only
// writes one byte into a pipe; the notifier reads it back on the event loop.
class SignalBridge : public QObject {
    Q_OBJECT
public:
    explicit SignalBridge(std::function<void()> onSignal, QObject* parent = nullptr);
    ~SignalBridge() override;
    SignalBridge(const SignalBridge&) = delete;
    SignalBridge& operator=(const SignalBridge&) = delete;

    // False where the signals could not be caught (no pipe, or no such signals).
    bool active() const { return notifier_ != nullptr; }

private:
    void readPipe();

    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};
