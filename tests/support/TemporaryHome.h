#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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
// home and configuration folders that HOME and XDG_CONFIG_HOME name meanwhile. Every
// variable changed through it is put back at the end. Its name is all lower case: the
// program lower-cases the name of a log file.
class TemporaryHome {
public:
    TemporaryHome() {
        static int made = 0;
        root_ = (std::filesystem::temp_directory_path() /
                 ("kelvane-test-" + std::to_string(::getpid()) + "-" + std::to_string(made++)))
                    .string();
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(home());
        std::filesystem::create_directories(config());
        set("HOME", home());
        set("XDG_CONFIG_HOME", config());
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
    void set(const char* name, const std::string& value) {
        save(name);
        ::setenv(name, value.c_str(), 1);
    }
    void unset(const char* name) {
        save(name);
        ::unsetenv(name);
    }

private:
    void save(const char* name) {
        const char* value = std::getenv(name);
        saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    std::string root_;
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};
