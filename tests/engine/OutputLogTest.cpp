#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

TEST(OutputLog, EntriesAreJoinedByCrLfAndTheFileIsClosedByTheEndLine) {
    EngineHarness h;
    h.st().logText = "Started\r\n";
    h.engine->log.AppendLog("first");
    h.engine->log.AppendLog(std::string("\0\xAE\xFF", 3));
    h.st().outputFile = "c:\\Kelvane.txt";
    h.engine->log.WriteLogFile();
    EXPECT_EQ(h.files.get("c:\\Kelvane.txt"), "Started\r\n\r\nfirst\r\n" + std::string("\0\xAE\xFF", 3) +
                                                  "\r\n\r\nAppCode Upload Done: 10:11  06/12/2026\r\n\r\n\r\n");
    EXPECT_TRUE(h.files.created.empty());
    EXPECT_TRUE(h.host.warnings.empty());
}

TEST(OutputLog, NamesAreNormalisedForEachPathStyle) {
    struct Case {
        bool posix;
        std::string given, written;
    };
    const Case cases[] = {
        {false, "run", "C:\\run.txt"},
        {false, "  run.log  ", "C:\\run.log"},
        {false, "\\logs\\run", "C:\\logs\\run.txt"},
        {false, "\\\\server\\share\\run.txt", "C:\\server\\share\\run.txt"},
        {false, "d:run.txt", "d:run.txt"},
        {false, "logs.d\\run", "logs.d\\run.txt"},
        {false, "/tmp/run", "C:\\/tmp/run.txt"},  // "/" is no separator there
        {true, "/tmp/Logs.d/Run", "/tmp/Logs.d/Run.txt"},
        {true, " /tmp/Run.LOG ", "/tmp/Run.LOG"},
        {true, "Run", "C:\\Run.txt"},
        {true, "logs/run", "logs/run.txt"},
        {true, "c:\\Kelvane.txt", "c:\\Kelvane.txt"},
    };
    for (const Case& c : cases) {
        EngineHarness h;
        h.files.posix = c.posix;
        h.st().outputFile = c.given;
        h.engine->log.WriteLogFile();
        EXPECT_EQ(h.st().outputFile, c.written) << c.given;
        EXPECT_TRUE(h.files.has(c.written)) << c.given;
        h.engine->log.WriteLogFile();  // the stored name is final
        EXPECT_EQ(h.st().outputFile, c.written) << c.given;
    }
}

TEST(OutputLog, MissingFoldersAreMadeOutermostFirstButNeverADriveRoot) {
    EngineHarness h;
    h.files.addFolder("C:\\a");
    for (const char* name : {"C:\\a\\b\\c\\run.txt", "C:\\run.txt", "ab\\run.txt", "d:sub\\run.txt"}) {
        h.st().outputFile = name;
        h.engine->log.WriteLogFile();
    }
    EXPECT_EQ(h.files.created, (std::vector<std::string>{"C:\\a\\b", "C:\\a\\b\\c", "d:sub"}));

    EngineHarness p;
    p.files.posix = true;
    p.st().outputFile = "/var/Logs/run.txt";
    p.engine->log.WriteLogFile();
    EXPECT_EQ(p.files.created, (std::vector<std::string>{"/var", "/var/Logs"}));
}

TEST(OutputLog, AFileThatCannotBeWrittenIsReportedOnceAndTheExitCodeStays) {
    EngineHarness h;
    h.files.refuseFolders = true;
    h.files.readOnly.insert(h.files.key("C:\\locked\\run.txt"));
    h.st().appExitCode = 2;
    h.st().outputFile = "\\locked\\run";
    h.engine->log.WriteLogFile();
    ASSERT_EQ(h.host.warnings.size(), 1u);
    EXPECT_NE(h.host.warnings[0].find("C:\\locked\\run.txt"), std::string::npos) << h.host.warnings[0];
    EXPECT_NE(h.host.warnings[0].find("read-only"), std::string::npos) << h.host.warnings[0];
    EXPECT_EQ(h.st().appExitCode, 2);
}

}  // namespace
