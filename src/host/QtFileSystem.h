#pragma once

#include <QString>

#include "app/FileSystem.h"
#include "host/HostPathMapping.h"

class SettingsStore;

// Whole-file access on Qt, through the host path mapping. Failures arrive as HostError:
// 52 bad file name, 53 file not found, 75 path/file access (a folder, a device, no
// permission), 76 path not found (also a path on a drive that maps nowhere, when
// reading), 68 device unavailable (writing to such a drive), 57 a failed read or
// write, 7 a file too large to hold.
class QtFileSystem : public FileSystem {
public:
    // The drive mapping's settings (Drives/<letter>) are read from settings.
    explicit QtFileSystem(SettingsStore& settings);

    bool posixPaths() const override;
    std::string readAll(const std::string& path) override;
    Head readHead(const std::string& path, size_t bytes) override;
    void writeAll(const std::string& path, const std::string& bytes) override;
    std::string lookup(const std::string& path) override;
    bool folderExists(const std::string& path) override;
    void createFolder(const std::string& path) override;
    bool isStream(const std::string& path) override;
    bool sameFile(const std::string& a, const std::string& b) override;

    const HostPathMapping& mapping() const { return mapping_; }

private:
    enum class Use { Reading, Writing };
    // The host path of an engine path, or the failure that names it.
    QString hostPath(const std::string& path, Use use) const;
    // The host path of a regular file to read, or the failure that says why it is none.
    QString readablePath(const std::string& path) const;

    HostPathMapping mapping_;
};
