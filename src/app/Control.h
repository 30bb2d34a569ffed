#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

class Controls;

enum class ControlKind {
    Window, Button, TextBox, ComboBox, OptionButton, CheckBox, Label, Frame,
    ProgressBar, Timer, MenuItem
};

// What changed of a control, for the views that mirror the model.
enum class Aspect {
    Caption, Text, TextAppended, Entries, Enabled, Visible, Checked, Locked, Look,
    Colors, Geometry, Progress, Timer, Focus
};

// The port selector's two looks.
enum class Look { Applied, NoPort };

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Position and size in twips.
struct Geometry {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Geometry& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
};

// What the behaviour reads and writes of one control of the main window. Text is
// 8-bit (a byte string); positions in it count bytes.
class Control {
public:
    Control(Controls& owner, std::string name, ControlKind kind, std::string caption = {},
            std::string toolTip = {}, std::string group = {});
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    ControlKind kind() const { return kind_; }
    const std::string& toolTip() const { return toolTip_; }
    // The frame or menu this control sits in; empty for the window itself.
    const std::string& group() const { return group_; }

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& caption);

    // Writing a different text raises onChange synchronously, nested inside the
    // write, as the real widget would; writing the same text raises nothing.
    const std::string& text() const { return text_; }
    void setText(const std::string& text);
    // Puts the caret at the end and inserts there (the terminal pane's way of growing).
    void appendText(const std::string& text);

    const std::vector<std::string>& entries() const { return entries_; }
    void addEntry(const std::string& entry);
    // Replaces the entries (the path box offers its model's recent files as entries).
    void setEntries(std::vector<std::string> entries);

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool visible() const { return visible_; }
    void setVisible(bool visible);
    // Check boxes, option buttons and menu items.
    bool checked() const { return checked_; }
    void setChecked(bool checked);
    // An option button selected from code: it is checked, its siblings in the same
    // group are unchecked, and its click handler runs.
    void select();
    // Text boxes locked against editing by the keyboard.
    bool locked() const { return locked_; }
    void setLocked(bool locked);

    Look look() const { return look_; }
    void setLook(Look look);

    // Empty means the system's window colours.
    const std::optional<Rgb>& backColor() const { return backColor_; }
    const std::optional<Rgb>& foreColor() const { return foreColor_; }
    void setColors(std::optional<Rgb> back, std::optional<Rgb> fore);

    const Geometry& geometry() const { return geometry_; }
    void setGeometry(const Geometry& geometry);

    // Progress bar.
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    int value() const { return value_; }
    void setMinimum(int v);
    void setMaximum(int v);
    void setValue(int v);

    // Timer interval in milliseconds; a timer runs while it is enabled.
    int interval() const { return interval_; }
    void setInterval(int ms);

    // Asks the view to give this control the keyboard focus.
    void setFocus();

    // Change handler (selectors, path box) and click handler (option buttons selected
    // from code), bound by the engine.
    std::function<void()> onChange;
    std::function<void()> onClick;

private:
    void notify(Aspect aspect);

    Controls& owner_;
    std::string name_;
    ControlKind kind_;
    std::string caption_;
    std::string toolTip_;
    std::string group_;
    std::string text_;
    std::vector<std::string> entries_;
    bool enabled_ = true;
    bool visible_ = true;
    bool checked_ = false;
    bool locked_ = false;
    Look look_ = Look::Applied;
    std::optional<Rgb> backColor_;
    std::optional<Rgb> foreColor_;
    Geometry geometry_;
    int minimum_ = 0;
    int maximum_ = 100;
    int value_ = 0;
    int interval_ = 0;
};
