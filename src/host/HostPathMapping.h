#pragma once

#include <QChar>
#include <QString>
#include <string>

class SettingsStore;

// Where the program's own paths ("c:\Kelvane.txt", "M:\Development\Code\") live on this
// host. On Windows a path is used as written. Elsewhere a drive root maps to a folder:
// the environment variable KELVANE_DRIVE_<letter> wins, then the setting Drives/<letter>;
// C: defaults to the home folder, every other drive to nothing. Backslashes become "/",
// a path that starts with "/" is used as it is, one that starts with a backslash is on
// drive C:, and any other is relative to the working folder. Engine paths are in the
// local 8-bit encoding (UTF-8 on Linux).
class HostPathMapping {
public:
    struct HostPath {
        QString path;         // empty when the drive is not mapped
        QChar unmappedDrive;  // the drive letter that maps nowhere, else null
    };

    explicit HostPathMapping(SettingsStore& settings) : settings_(settings) {}

    // The program's fixed paths were written for a case-insensitive file system ("Cpu"
    // and "CPU" both occur), so each component of a mapped drive path that does not
    // exist as written is matched without regard to letter case; a name found nowhere
    // keeps the case it was given.
    HostPath toHost(const std::string& enginePath) const;
    // The folder a drive letter maps to; empty when it maps nowhere.
    QString driveFolder(QChar letter) const;

    static QString fromEngine(const std::string& bytes);
    static std::string toEngine(const QString& path);
    // The entry of a folder whose name equals name without regard to letter case (the
    // first in name order), or empty.
    static QString matchingEntry(const QString& folder, const QString& name);

private:
    SettingsStore& settings_;
};
