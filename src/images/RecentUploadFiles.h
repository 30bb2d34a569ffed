#pragma once

#include <cstddef>
#include <string>
#include <vector>

class Engine;
struct SwitcherModel;

// The last files used with each switcher model, newest first, kept in the settings beside
// the model's single path and offered on the path box as its entries.
class RecentUploadFiles {
public:
    explicit RecentUploadFiles(Engine& k) : k_(k) {}

    static constexpr size_t Kept = 8;

    // A file chosen for the selected model (Browse, a drop, one of its recent files): it
    // goes into the path box, which stores it, and to the top of the model's list.
    void Choose(const std::string& path);
    // A file used for an upload counts as chosen, typed or not.
    void Remember(const std::string& path);
    // Offers the selected model's list on the path box (none without a selected model).
    void Show();
    // The user picked one of the path box's entries.
    void txtUploadPath_EntryChosen(const std::string& path);

    // The stored list of a model, newest first.
    std::vector<std::string> List(const SwitcherModel& model) const;
    // Where the n-th (from 1) is stored in the STARTUP key: "TessinFilePathRecent1".
    static std::string ValueName(const SwitcherModel& model, size_t n);

private:
    bool SamePath(const std::string& a, const std::string& b) const;

    Engine& k_;
};
