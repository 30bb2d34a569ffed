#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/FileSystem.h"
#include "app/HostError.h"

// Files and folders in memory, under the engine's own path names. Windows-style by
// default: names compare without regard to letter case.
class MemoryFileSystem : public FileSystem {
public:
    bool posixPaths() const override { return posix; }
    std::string readAll(const std::string& path) override {
        auto it = files.find(key(path));
        if (it != files.end()) return it->second;
        // As on a disk, a missing folder (or drive) is another failure than a missing file.
        const std::string folder = key(path.substr(0, path.find_last_of("\\/") + 1));
        const auto near = files.lower_bound(folder);
        const bool known = near != files.end() && near->first.rfind(folder, 0) == 0;
        if (known || folders.count(folder.substr(0, folder.size() - 1)))
            throw HostError(ErrorNumber::FileNotFound, "file not found");
        throw HostError(ErrorNumber::PathNotFound, "path not found");
    }
    Head readHead(const std::string& path, size_t bytes) override {
        const std::string all = readAll(path);
        return {all.size(), all.substr(0, bytes)};
    }
    void writeAll(const std::string& path, const std::string& bytes) override {
        if (readOnly) throw HostError(ErrorNumber::PathFileAccess, "read-only");
        files[key(path)] = bytes;
    }
    std::string lookup(const std::string& path) override {
        const std::string k = key(path);
        if (!files.count(k) && !folders.count(k)) return {};
        const auto cut = path.find_last_of(posix ? "/" : "\\/");
        return cut == std::string::npos ? path : path.substr(cut + 1);
    }
    bool folderExists(const std::string& path) override { return folders.count(key(path)) > 0; }
    void createFolder(const std::string& path) override {
        if (readOnly) throw HostError(ErrorNumber::PathFileAccess, "read-only");
        folders.insert(key(path));
        created.push_back(path);
    }

    bool isStream(const std::string&) override { return false; }
    bool sameFile(const std::string& a, const std::string& b) override {
        return key(a) == key(b) && files.count(key(a));
    }

    void put(const std::string& path, const std::string& bytes) { files[key(path)] = bytes; }
    void addFolder(const std::string& path) { folders.insert(key(path)); }
    std::string get(const std::string& path) const {
        auto it = files.find(key(path));
        return it == files.end() ? std::string() : it->second;
    }

    std::string key(const std::string& path) const {
        if (posix) return path;
        std::string k = path;
        for (char& c : k)
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        return k;
    }

    bool posix = false;
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    // Refuses every write and every new folder.
    bool readOnly = false;
    std::vector<std::string> created;
};
