// The built program run unattended on a port that the settings file maps to a device.
#include <gtest/gtest.h>

#include "Processes.h"
#include "TemporaryHome.h"

namespace {

using namespace std::chrono_literals;

TEST(PortMapping, AnUnattendedRunUsesTheDeviceTheSettingsFileGivesItsPortAndNamesItWhenMissing) {
    struct Row {
        const char* name;
        bool deviceThere;
        int exitCode;
        std::string logged;  // the device stands for "@"
    };
    const Row rows[] = {
        {"mapped to the emulated enclosure", true, 0, "appExitCode # 0\r\nUpload Successful!"},
        {"mapped to a device that is not there", false, 3,
         "Error # 3\r\nNo Com 4 Found, \r\nTry setting to another Port\r\n@: No such file or directory"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TemporaryHome home;
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "KELVANE_COM4"}) home.unset(name);
        const std::string image = home.file("app.txt"), log = home.file("log.txt");
        ASSERT_EQ(Child(KELVANE_SIM_BIN, {"make-image", image, "--size", "3000"}).wait(20s), 0);
        Sim sim({"--start-in-loader", "--loader-baud", "57600", "--received", home.file("received.bin")});
        const std::string device = row.deviceThere ? sim.device : home.file("ttyUSB7");
        // The file as a user would write it by hand.
        std::filesystem::create_directories(home.config() + "/ZQ Technologies/Utility");
        // With the terminal off the port is first opened by the upload, whose report the log keeps.
        WriteFile(home.config() + "/ZQ Technologies/Utility/Kelvane.ini",
                  "[Ports]\nCom4=" + device + "\n[STARTUP]\ntrmOnOff=0\n");

        EXPECT_EQ(Child(KELVANE_BIN, {image, "-auto", "-s4", "-o", log}).wait(60s), row.exitCode);
        sim.stop();
        sim.wait(10s);
        std::string logged = row.logged;
        if (const auto at = logged.find('@'); at != std::string::npos) logged.replace(at, 1, device);
        EXPECT_NE(ReadFile(log).find(logged), std::string::npos) << ReadFile(log);
        EXPECT_EQ(ReadFile(home.file("received.bin")) == ReadFile(image), row.deviceThere);
    }
}

}  // namespace
