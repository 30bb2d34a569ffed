#pragma once

#include <cstdint>
#include <string>

// Whole-file access with the host's path mapping. Engine paths are written as the
// program's own paths ("c:\Kelvane.txt", "M:\Development\Code\"); the host maps drive
// letters and separators. Failures throw HostError (52, 53, 75, 76 or another number).
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True where names are case-sensitive and "/" is a separator and an absolute
    // root (Linux); false on Windows.
    virtual bool posixPaths() const = 0;
    virtual std::string readAll(const std::string& path) = 0;
    // The file's size and its first bytes (at most `bytes` of them), failing as readAll
    // does: a look at a file of any size that costs no more than its first bytes.
    struct Head {
        uint64_t size = 0;
        std::string bytes;
    };
    virtual Head readHead(const std::string& path, size_t bytes) = 0;
    virtual void writeAll(const std::string& path, const std::string& bytes) = 0;
    // The name of the file or folder the path names (its last component, as stored),
    // or empty when there is none.
    virtual std::string lookup(const std::string& path) = 0;
    virtual bool folderExists(const std::string& path) = 0;
    virtual void createFolder(const std::string& path) = 0;
    // The path names an existing character device or pipe (a terminal, standard output,
    // a FIFO): something to write into as it is, never a file to complete or replace.
    virtual bool isStream(const std::string& path) = 0;
    // Both paths name one existing file, under whatever names, links or drive mappings.
    virtual bool sameFile(const std::string& a, const std::string& b) = 0;
};
