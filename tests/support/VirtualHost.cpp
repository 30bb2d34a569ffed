#include "VirtualHost.h"

#include <algorithm>

#include "MemoryPort.h"

void VirtualHost::startTimer(TimerId id, int intervalMs) {
    Timer& t = timers_[id];
    t.running = true;
    t.intervalUs = int64_t(intervalMs) * 1000;
    t.dueUs = nowUs_ + t.intervalUs;
}

void VirtualHost::stopTimer(TimerId id) { timers_[id].running = false; }

bool VirtualHost::timerRunning(TimerId id) const {
    auto it = timers_.find(id);
    return it != timers_.end() && it->second.running;
}

void VirtualHost::at(int64_t us, std::function<void()> action) { actions_.emplace(us, std::move(action)); }

void VirtualHost::runUntil(int64_t us) {
    while (nowUs_ <= us) yield();
}

void VirtualHost::yield() {
    ++yieldDepth_;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{yieldDepth_};
    bool happened = false;
    if (port_ && port_->deliver(nowUs_)) happened = true;

    for (auto& [id, t] : timers_) {
        if (t.running && t.dueUs <= nowUs_) {
            t.dueUs = nowUs_ + t.intervalUs;
            happened = true;
            if (timerHandler_) timerHandler_(id);
        }
    }
    while (!actions_.empty() && actions_.begin()->first <= nowUs_) {
        auto action = std::move(actions_.begin()->second);
        actions_.erase(actions_.begin());
        happened = true;
        action();
    }
    if (happened) {
        nowUs_ += 1;  // time never stands still, even in a busy loop
        return;
    }
    int64_t next = nowUs_ + 10000;
    if (port_) next = std::min(next, port_->nextEventUs());
    for (auto& [id, t] : timers_)
        if (t.running) next = std::min(next, t.dueUs);
    if (!actions_.empty()) next = std::min(next, actions_.begin()->first);
    nowUs_ = std::max(next, nowUs_ + 1);
}
