#include "app/Control.h"

#include "app/Controls.h"

Control::Control(Controls& owner, std::string name, ControlKind kind, std::string caption,
                 std::string toolTip, std::string group)
    : owner_(owner),
      name_(std::move(name)),
      kind_(kind),
      caption_(std::move(caption)),
      toolTip_(std::move(toolTip)),
      group_(std::move(group)) {
    owner_.add(*this);
}

void Control::notify(Aspect aspect) { owner_.notify(*this, aspect); }

void Control::setCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    notify(Aspect::Caption);
}

void Control::setText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    notify(Aspect::Text);
    if (onChange) onChange();
}

void Control::appendText(const std::string& text) {
    if (text.empty()) return;
    text_ += text;
    notify(Aspect::TextAppended);
    if (onChange) onChange();
}

void Control::addEntry(const std::string& entry) {
    entries_.push_back(entry);
    notify(Aspect::Entries);
}

void Control::setEntries(std::vector<std::string> entries) {
    if (entries == entries_) return;
    entries_ = std::move(entries);
    notify(Aspect::Entries);
}

void Control::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    notify(Aspect::Enabled);
}

void Control::setVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    notify(Aspect::Visible);
}

void Control::setChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    notify(Aspect::Checked);
}

void Control::select() {
    for (Control* sibling : owner_.all()) {
        if (sibling != this && sibling->kind_ == ControlKind::OptionButton && sibling->group_ == group_)
            sibling->setChecked(false);
    }
    setChecked(true);
    if (onClick) onClick();
}

void Control::setLocked(bool locked) {
    if (locked == locked_) return;
    locked_ = locked;
    notify(Aspect::Locked);
}

void Control::setLook(Look look) {
    if (look == look_) return;
    look_ = look;
    notify(Aspect::Look);
}

void Control::setColors(std::optional<Rgb> back, std::optional<Rgb> fore) {
    backColor_ = back;
    foreColor_ = fore;
    notify(Aspect::Colors);
}

void Control::setGeometry(const Geometry& geometry) {
    if (geometry == geometry_) return;
    geometry_ = geometry;
    notify(Aspect::Geometry);
}

void Control::setMinimum(int v) {
    minimum_ = v;
    notify(Aspect::Progress);
}

void Control::setMaximum(int v) {
    maximum_ = v;
    notify(Aspect::Progress);
}

void Control::setValue(int v) {
    if (v == value_) return;
    value_ = v;
    notify(Aspect::Progress);
}

void Control::setInterval(int ms) {
    interval_ = ms;
    notify(Aspect::Timer);
}

void Control::setFocus() { notify(Aspect::Focus); }
