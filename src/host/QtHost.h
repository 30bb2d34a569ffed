#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "app/Host.h"

// Clock, event pump and timers on the Qt event loop of the calling thread.
class QtHost : public QObject, public Host {
    Q_OBJECT

public:
    explicit QtHost(QObject* parent = nullptr);

    int64_t clockMs() const override;
    void yield() override;
    void startTimer(TimerId id, int intervalMs) override;
    void stopTimer(TimerId id) override;
    void setTimerHandler(std::function<void(TimerId)> handler) override;
    std::string shortTime() const override;
    std::string shortDate() const override;
    void beep() override;
    void warn(const std::string& line) override;
    void exit(int code) override;

    // True while a yield runs events: whatever handles one of them interrupts a wait,
    // which goes on only when the handler returns.
    bool yielding() const { return yieldDepth_ > 0; }
    // The code of the first exit asked for, also one asked for before the event loop ran.
    std::optional<int> exitCode() const { return exitCode_; }

private:
    QTimer& timer(TimerId id);

    QElapsedTimer clock_;
    // Bounds the wait of a yield, so that a polling loop wakes up now and then even
    // when nothing happens.
    QTimer wake_;
    QTimer delayTimer_;
    QTimer recoveryTimer_;
    std::function<void(TimerId)> handler_;
    int yieldDepth_ = 0;
    std::optional<int> exitCode_;
};
