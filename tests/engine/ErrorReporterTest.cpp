#include <gtest/gtest.h>

#include "EngineHarness.h"

namespace {

const std::string FileMessage = "Error # 7\r\nFile Not found\r\nCheck File to Upload\r\nPath Information ";

// A manual run on Com 2 with a log file; the exit code is recorded when the box shows.
struct Reported {
    explicit Reported(int number, int16_t port = 2, bool autoMode = false, const std::string& reason = {}) {
        h.ui().cboPort.setText("Com 2");
        h.st().portNumber = port;
        h.st().appExitCode = 6;
        h.st().outputToFile = true;
        h.st().autoMode = autoMode;
        h.dialogue.onBox = [this] { codeAtBox = h.st().appExitCode; };
        h.engine->errors.ReportError(number, reason);
    }
    std::string box() const { return h.dialogue.boxes.size() == 1 ? h.dialogue.boxes[0].text : "<no one box>"; }
    EngineHarness h;
    int codeAtBox = -1;
};

TEST(ErrorReporter, EachFailureHasItsMessageAndExitCode) {
    struct Case {
        int number;
        int16_t port;
        std::string message;
        int exitCode;
        bool portReset;
    };
    const Case cases[] = {
        {52, 2, FileMessage, 7, false},
        {53, 2, FileMessage, 7, false},
        {75, 2, FileMessage, 7, false},
        {76, 2, FileMessage, 7, false},
        {8002, 1, "Error # 3\r\nNo Com 1  Found, \r\nTry setting to Com 2", 3, true},
        {8002, 2, "Error # 3\r\nNo Com 2  Found, \r\nTry setting to Com 1", 3, true},
        {8002, 5, "Error # 3\r\nNo Com 5 Found, \r\nTry setting to another Port", 3, true},
        {8005, 2,
         "Error # 3\r\nThe Serial port is in use\r\nby another Program or Device\r\n"
         "Shut Down the Offending Program\r\n or Change the Com Port Settings",
         3, true},
    };
    for (const Case& c : cases) {
        Reported r(c.number, c.port);
        ASSERT_EQ(r.h.dialogue.boxes.size(), 1u) << c.number;
        EXPECT_EQ(r.h.dialogue.boxes[0].text, c.message) << c.number;
        EXPECT_EQ(r.h.dialogue.boxes[0].title, "Kelvane");
        EXPECT_EQ(r.h.st().logText, "\r\n" + c.message) << c.number;
        EXPECT_EQ(r.codeAtBox, 6) << c.number;
        EXPECT_EQ(r.h.st().appExitCode, c.exitCode) << c.number;
        EXPECT_EQ(r.h.ui().cboPort.text(), c.portReset ? "None" : "Com 2") << c.number;
    }
}

TEST(ErrorReporter, UnattendedRunsOnlyLog) {
    Reported r(53, 2, true);
    EXPECT_TRUE(r.h.dialogue.boxes.empty());
    EXPECT_EQ(r.h.st().logText, "\r\n" + FileMessage);
    EXPECT_EQ(r.h.st().appExitCode, 7);
}

TEST(ErrorReporter, NoPortAtAllGivesNoMessageButStillNone) {
    Reported r(8002, 0);
    EXPECT_TRUE(r.h.dialogue.boxes.empty());
    EXPECT_EQ(r.h.st().logText, "");
    EXPECT_EQ(r.h.ui().cboPort.text(), "None");
    EXPECT_EQ(r.h.st().appExitCode, 3);
}

TEST(ErrorReporter, APortInUseIsLeftClosedWithTheNoPortLook) {
    EngineHarness h;
    h.port.open();
    h.engine->errors.ReportError(8005);
    EXPECT_EQ(h.ui().cboPort.look(), Look::NoPort);
    EXPECT_FALSE(h.port.isOpen());
}

TEST(ErrorReporter, OtherFailuresAreUnexpectedWithTheHostsReasonBelow) {
    Reported manual(380);
    EXPECT_EQ(manual.box(), "Error # 380\r\nUnexpected Error");
    EXPECT_EQ(manual.h.st().logText, "\r\nError # 380");  // the manual log keeps the first line only
    EXPECT_EQ(manual.codeAtBox, 6);
    EXPECT_EQ(manual.h.st().appExitCode, 6);
    EXPECT_EQ(manual.h.ui().cboPort.text(), "Com 2");

    Reported reason(70, 2, false, "/dev/ttyUSB0: Permission denied");
    EXPECT_EQ(reason.box(), "Error # 70\r\nUnexpected Error\r\n/dev/ttyUSB0: Permission denied");

    Reported unattended(-2147467259, 2, true, "gone");
    EXPECT_TRUE(unattended.h.dialogue.boxes.empty());
    EXPECT_EQ(unattended.h.st().logText, "\r\nError # -2147467259\r\nUnexpected Error\r\ngone");
}

}  // namespace
