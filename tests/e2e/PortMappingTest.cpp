// The built program run unattended on a port mapped to a device by the settings file or
// the environment.
#include <gtest/gtest.h>

#include "UnattendedRun.h"

namespace {

TEST(PortMapping, AnUnattendedRunUsesTheDeviceItsPortIsMappedToAndNamesItWhenMissing) {
    struct Row {
        const char* name;
        std::string settings;  // the file as a user would write it by hand
        bool deviceThere;
        int exitCode;
        std::vector<std::string> logged;  // in this order; "@" stands for the device
    };
    // With the terminal off the port is first opened by the upload, whose report the log keeps.
    const std::string ByHand = "[Ports]\nCom4=@\n[STARTUP]\ntrmOnOff=0\n";
    const Row rows[] = {
        {"the settings file's device", ByHand, true, 0, {"appExitCode # 0\r\nUpload Successful!"}},
        {"the settings file's device, not there", ByHand, false, 3,
         {"Error # 3\r\nNo Com 4 Found, \r\nTry setting to another Port\r\n@: No such file or directory"}},
        // With the terminal on the start-up opens the port: the log keeps that report too.
        {"the environment's device, not there", "", false, 3,
         {"No Com 4 Found, ", "Invalid serial command line parameter"}},
    };
    CheckAtOnce(rows, [](const Row& row) {
        SCOPED_TRACE(row.name);
        UnattendedRun run;
        run.makeImage({"--size", "3000"});
        run.command = {"-auto", "-s4", "-o", run.logPath};
        const std::string missing = run.home.file("ttyUSB7");
        if (row.settings.empty()) run.home.set("KELVANE_COM4", missing);
        std::string device;
        run.withDevice = [&](const std::string& sim) {
            device = row.deviceThere ? sim : missing;
            std::string settings = row.settings;
            if (const auto at = settings.find('@'); at != std::string::npos) settings.replace(at, 1, device);
            std::filesystem::create_directories(run.home.config() + "/ZQ Technologies/Utility");
            WriteFile(run.home.config() + "/ZQ Technologies/Utility/Kelvane.ini", settings);
        };
        run.upload({"--start-in-loader", "--loader-baud", "57600"});
        EXPECT_EQ(run.exitCode, row.exitCode);
        size_t from = 0;
        for (std::string logged : row.logged) {
            if (const auto at = logged.find('@'); at != std::string::npos) logged.replace(at, 1, device);
            from = run.log.find(logged, from);
            EXPECT_NE(from, std::string::npos) << logged << " in\n" << run.log;
        }
        EXPECT_EQ(run.received == run.image, row.deviceThere);
    });
}

}  // namespace
