#pragma once

#include <string>

#include "emulator/Enclosure.h"

// What kelvane-sim is told on its command line.
struct SimOptions {
    EnclosureConfig model;
    std::string receivedPath;  // --received: the image bytes as received
    std::string expectPath;    // --expect: the image the upload should deliver
    bool trace = false;
    bool once = false;
};

struct MakeImageOptions {
    std::string outPath;
    long long size = -1;
    bool checksum = true;
    bool allBytes = false;
};

enum class ParseResult { Run, Help, Error };

// On Error, `error` says what was wrong, in one line.
ParseResult parseSimOptions(int argc, char** argv, SimOptions& out, std::string& error);
ParseResult parseMakeImageOptions(int argc, char** argv, MakeImageOptions& out, std::string& error);

extern const char* const SimUsage;
