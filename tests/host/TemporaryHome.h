#pragma once

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>
#include <optional>
#include <utility>
#include <vector>

// A fresh home and configuration folder for one test: HOME and XDG_CONFIG_HOME point
// into a temporary folder, and every variable changed through it is put back after.
class TemporaryHome {
public:
    TemporaryHome() {
        QDir(root()).mkpath("home");
        QDir(root()).mkpath("config");
        set("HOME", home());
        set("XDG_CONFIG_HOME", config());
        for (const char* drive : {"KELVANE_DRIVE_C", "KELVANE_DRIVE_D", "KELVANE_DRIVE_M"}) unset(drive);
    }
    ~TemporaryHome() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            it->second ? qputenv(it->first, *it->second) : qunsetenv(it->first);
    }

    QString root() const { return dir_.path(); }
    QString home() const { return root() + "/home"; }
    QString config() const { return root() + "/config"; }
    void set(const char* name, const QString& value) {
        save(name);
        qputenv(name, value.toLocal8Bit());
    }
    void unset(const char* name) {
        save(name);
        qunsetenv(name);
    }

private:
    void save(const char* name) {
        saved_.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    }
    QTemporaryDir dir_;
    std::vector<std::pair<const char*, std::optional<QByteArray>>> saved_;
};
