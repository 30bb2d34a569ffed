#include "app/Controls.h"

#include <algorithm>

Controls::Controls() {
    Timer1.setInterval(2000);
    Timer1.setEnabled(false);
    TimerDelay.setEnabled(false);
    txtTerminal.setLocked(true);
}

Control* Controls::find(const std::string& name) const {
    for (Control* c : all_)
        if (c->name() == name) return c;
    return nullptr;
}

void Controls::addListener(ControlsListener* listener) { listeners_.push_back(listener); }

void Controls::removeListener(ControlsListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

void Controls::add(Control& control) { all_.push_back(&control); }

void Controls::notify(const Control& control, Aspect aspect) {
    // A listener may remove itself while being told.
    const auto listeners = listeners_;
    for (ControlsListener* l : listeners) l->controlChanged(control, aspect);
}
