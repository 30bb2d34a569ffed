#pragma once

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A fresh folder for one test, removed with everything in it afterwards, holding the
// home and configuration folders that HOME and XDG_CONFIG_HOME name meanwhile. Its
// variables are this process's (each put back at the end) or, for homes on several
// threads at once, only those of the programs started with environment(). Its name is
// all lower case: the program lower-cases the name of a log file.
class TemporaryHome {
public:
    enum Scope { Process, StartedPrograms };
    explicit TemporaryHome(Scope scope = Process) : scope_(scope) {
        static std::atomic<int> made{0};
        root_ = (std::filesystem::temp_directory_path() /
                 ("kelvane-test-" + std::to_string(::getpid()) + "-" + std::to_string(made++)))
                    .string();
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(home());
        std::filesystem::create_directories(config());
        set("HOME", home());
        set("XDG_CONFIG_HOME", config());
        unset("XDG_STATE_HOME");
        for (const char* drive : {"KELVANE_DRIVE_C", "KELVANE_DRIVE_D", "KELVANE_DRIVE_M"}) unset(drive);
    }
    ~TemporaryHome() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            it->second ? ::setenv(it->first, it->second->c_str(), 1) : ::unsetenv(it->first);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    const std::string& root() const { return root_; }
    std::string file(const std::string& name) const { return root_ + "/" + name; }
    std::string home() const { return file("home"); }
    std::string config() const { return file("config"); }
    void set(const char* name, const std::string& value) { change(name, value); }
    void unset(const char* name) { change(name, std::nullopt); }
    // This process's environment with the home's changes.
    std::vector<std::string> environment() const {
        std::vector<std::string> variables;
        for (char** e = environ; *e; ++e)
            if (!changes_.count(std::string(*e, std::strcspn(*e, "=")))) variables.emplace_back(*e);
        for (const auto& [name, value] : changes_)
            if (value) variables.push_back(name + "=" + *value);
        return variables;
    }

private:
    void change(const char* name, std::optional<std::string> value) {
        if (scope_ == Process) {
            const char* was = std::getenv(name);
            saved_.emplace_back(name, was ? std::optional<std::string>(was) : std::nullopt);
            value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
        }
        changes_[name] = std::move(value);
    }
    Scope scope_;
    std::string root_;
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
    std::map<std::string, std::optional<std::string>> changes_;
};
