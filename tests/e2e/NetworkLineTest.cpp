// The built program run unattended through ser2net: an RFC 2217 telnet accepter and a
// raw TCP accepter on loopback, each serving the kelvane-sim terminal of its run.
#include <gtest/gtest.h>
#include <memory>
#include <thread>

#include "Ser2net.h"
#include "UnattendedRun.h"

namespace {

using namespace std::chrono_literals;

TEST(NetworkLine, UploadsThroughATerminalServerAndEndsEachFailureWithItsCodeAndTheUrl) {
    enum Url { Telnet, Raw, Refused, UnknownHost };
    enum Received { None, Part, Whole };
    enum Meanwhile { Nothing, AnotherClient, ServerKilled };
    const std::string Success = "appExitCode # 0\r\nUpload Successful!";
    const std::string NotThere = "No Com 1  Found, \r\nTry setting to Com 2\r\n@: ";
    struct Row {
        const char* name;
        Url url;
        Args image, sim, options;
        int exitCode;
        std::vector<std::string> logged;  // "@" stands for the URL
        Received received;
        std::string sentAfterChecksum = {};
        Meanwhile meanwhile = Nothing;
    };
    const Args All = {"--size", "6000", "--all-bytes"}, Small = {"--size", "3000"};
    const Args Loader57600 = {"--start-in-loader", "--loader-baud", "57600"};
    const Row rows[] = {
        // Found at 9600, moved to 57600 and set back: every byte value through the telnet layer.
        {"RFC 2217 from the application at 9600", Telnet, All, {"--app-echo", "--key-on-ey", "--key-on-py"}, {}, 0,
         {Success}, Whole, "Sy9600\\rb"},
        // Probed at the line's rate only, so neither moved nor set back.
        {"raw TCP at the transfer's rate", Raw, All, Loader57600, {}, 0,
         {"The serial line keeps the baud rate of its far end: 57600", Success}, Whole, "b"},
        {"raw TCP with a restore to another rate", Raw, Small, Loader57600, {"-b9600"}, 3,
         {"Error # 3\r\nThe serial line cannot change its baud rate\r\n@ is a raw TCP line", "rfc2217://"}, None},
        {"nobody listens", Refused, Small, Loader57600, {}, 3, {NotThere + "Connection refused"}, None},
        {"an unknown host", UnknownHost, Small, Loader57600, {}, 3, {NotThere}, None},
        {"a server that serves another client", Telnet, Small, Loader57600, {}, 3,
         {"The Serial port is in use", "@: the server closed the connection: Port already in use"}, None, {},
         AnotherClient},
        {"a raw server that serves another client", Raw, Small, Loader57600, {}, 3,
         {"@: the server closed the connection: Port already in use"}, None, {}, AnotherClient},
        {"the server killed in mid-transfer", Telnet, {"--size", "20000"}, {"--start-in-loader", "--pace"}, {}, 6,
         {"Error # 6\r\nSerial Communications Error", "@: the connection closed"}, Part, {}, ServerKilled},
    };
    CheckAtOnce(rows, [&](const Row& row) {
        SCOPED_TRACE(row.name);
        UnattendedRun run;
        run.makeImage(row.image);
        run.command.insert(run.command.end(), row.options.begin(), row.options.end());
        run.limit = 60s;
        const int telnetPort = Ser2net::FreePort(), rawPort = Ser2net::FreePort();
        std::unique_ptr<Child> server;
        std::string url;
        std::thread killer;
        int client = -1;
        run.withDevice = [&](const std::string& device) {
            WriteFile(run.home.file("ser2net.yaml"), Ser2net::Config(telnetPort, rawPort, device, "57600n81"));
            server = std::make_unique<Child>(Ser2net::Program, Ser2net::Args(run.home.file("ser2net.yaml")));
            Ser2net::AwaitListening(telnetPort, rawPort);
            const int port = row.url == Raw ? rawPort : row.url == Refused ? Ser2net::FreePort() : telnetPort;
            const std::string host = row.url == UnknownHost ? "-kelvane.invalid" : "127.0.0.1";
            url = std::string(row.url == Raw ? "socket://" : "rfc2217://") + host + ":" + std::to_string(port);
            run.home.set("KELVANE_COM1", url);
            if (row.meanwhile == AnotherClient) {
                client = Ser2net::LoopbackSocket(port);
                // Until the server has taken that client in, it may hang up on the next without a word.
                std::this_thread::sleep_for(500ms);
            }
            if (row.meanwhile == ServerKilled)
                killer = std::thread([&] {
                    for (int i = 0; i < 3000 && !has(ReadFile(run.home.file("trace.txt")), "// ZQ Encoded"); ++i)
                        std::this_thread::sleep_for(10ms);
                    server->stop();
                });
        };
        run.upload(row.sim);
        if (killer.joinable()) killer.join();
        if (client >= 0) ::close(client);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.log;
        for (std::string text : row.logged) {
            if (const auto at = text.find('@'); at != std::string::npos) text.replace(at, 1, url);
            EXPECT_TRUE(has(run.log, text)) << text << " in\n" << run.log;
        }
        EXPECT_EQ(run.received.empty() ? None : run.received == run.image ? Whole : Part, row.received)
            << "the device received " << run.received.size() << " of " << run.image.size() << " bytes";
        // Refused up front: nothing reached the device.
        EXPECT_EQ(has(run.trace, " host "), row.received != None) << run.trace;
        if (!row.sentAfterChecksum.empty()) {
            EXPECT_EQ(run.sentAfterChecksum(), row.sentAfterChecksum) << run.trace;
        }
    });
}

}  // namespace
