// The built program run unattended through ser2net: an RFC 2217 telnet accepter and a
// raw TCP accepter on loopback, each serving the kelvane-sim terminal of its run.
#include <gtest/gtest.h>
#include <memory>
#include <thread>

#include "Ser2net.h"
#include "UnattendedRun.h"

namespace {

using namespace std::chrono_literals;

// ser2net serving one terminal, through RFC 2217 and raw TCP at the given line settings.
struct Server {
    Server(const TemporaryHome& home, const std::string& device, const std::string& rawLine) {
        const std::string config = home.file("ser2net.yaml");
        WriteFile(config, Ser2net::Config(telnetPort, rawPort, device, rawLine));
        process = std::make_unique<Child>(Ser2net::Program, Ser2net::Args(config), home.file("ser2net.txt"));
        Ser2net::AwaitListening({telnetPort, rawPort});
    }
    const int telnetPort = Ser2net::FreePort(), rawPort = Ser2net::FreePort();
    std::unique_ptr<Child> process;
};

TEST(NetworkLine, UploadsThroughATerminalServerAndEndsEachFailureWithItsCodeAndTheUrl) {
    enum Url { Telnet, Raw, Refused, UnknownHost };
    enum Received { None, Part, Whole };
    const std::string Success = "appExitCode # 0\r\nUpload Successful!";
    struct Row {
        const char* name;
        Url url;
        Args image, sim, options;
        int exitCode;
        std::vector<std::string> logged;  // "@" stands for the URL
        Received received;
        std::string sentAfterChecksum = {};
        bool busy = false, killed = false;
        std::string rawLine = "57600n81";
    };
    const Args All = {"--size", "6000", "--all-bytes"}, Small = {"--size", "3000"};
    const Args Loader57600 = {"--start-in-loader", "--loader-baud", "57600"};
    const Row rows[] = {
        // Found at 9600, moved to 57600 and set back: every byte value through the telnet layer.
        {"RFC 2217 from the application at 9600", Telnet, All, {"--app-echo", "--key-on-ey", "--key-on-py"}, {}, 0,
         {Success}, Whole, "Sy9600\\rb"},
        {"raw TCP at the transfer's rate", Raw, All, Loader57600, {}, 0,
         {"The serial line keeps the baud rate of its far end: 57600", Success}, Whole, "b"},
        {"raw TCP with a restore to another rate", Raw, Small, Loader57600, {"-b9600"}, 3,
         {"Error # 3\r\nThe serial line cannot change its baud rate\r\n@ is a raw TCP line", "rfc2217://"}, None},
        {"nobody listens", Refused, Small, Loader57600, {}, 3, {"No Com 1  Found, \r\nTry setting to Com 2\r\n@: "},
         None},
        {"an unknown host", UnknownHost, Small, Loader57600, {}, 3, {"No Com 1  Found, \r\nTry setting to Com 2\r\n@: "},
         None},
        {"a server that serves another client", Telnet, Small, Loader57600, {}, 3,
         {"The Serial port is in use", "@: the server closed the connection: Port already in use"}, None, {}, true},
        {"the server killed in mid-transfer", Telnet, {"--size", "20000"}, {"--start-in-loader", "--loader-baud", "57600", "--pace"}, {}, 6,
         {"Error # 6\r\nSerial Communications Error", "@: the connection closed"}, Part, {}, false, true},
    };
    CheckAtOnce(rows, [&](const Row& row) {
        SCOPED_TRACE(row.name);
        UnattendedRun run;
        run.makeImage(row.image);
        run.command.insert(run.command.end(), row.options.begin(), row.options.end());
        run.limit = 60s;
        std::unique_ptr<Server> server;
        std::string url;
        int busy = -1;
        std::thread killer;
        run.withDevice = [&](const std::string& device) {
            server = std::make_unique<Server>(run.home, device, row.rawLine);
            const int port = row.url == Raw ? server->rawPort : row.url == Refused ? Ser2net::FreePort() : server->telnetPort;
            const std::string host = row.url == UnknownHost ? "-kelvane.invalid" : "127.0.0.1";
            url = std::string(row.url == Raw ? "socket://" : "rfc2217://") + host + ":" + std::to_string(port);
            run.home.set("KELVANE_COM1", url);
            if (row.busy) {
                busy = ::socket(AF_INET, SOCK_STREAM, 0);
                sockaddr_in a{};
                a.sin_family = AF_INET;
                a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
                a.sin_port = htons(uint16_t(port));
                ASSERT_EQ(::connect(busy, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
            }
            if (row.killed)
                killer = std::thread([&] {
                    for (int i = 0; i < 3000 && !has(ReadFile(run.home.file("trace.txt")), "// ZQ Encoded"); ++i)
                        std::this_thread::sleep_for(10ms);
                    server->process->stop();
                });
        };
        run.upload(row.sim);
        if (killer.joinable()) killer.join();
        if (busy >= 0) ::close(busy);
        ASSERT_NE(run.exitCode, Child::Running) << "still running\n" << run.log;
        EXPECT_EQ(run.exitCode, row.exitCode) << run.log << ReadFile(run.home.file("ser2net.txt"));
        for (std::string text : row.logged) {
            if (const auto at = text.find('@'); at != std::string::npos) text.replace(at, 1, url);
            EXPECT_TRUE(has(run.log, text)) << text << " in\n" << run.log;
        }
        EXPECT_EQ(run.received.empty() ? None : run.received == run.image ? Whole : Part, row.received)
            << "the device received " << run.received.size() << " of " << run.image.size() << " bytes";
        if (row.received == None) {
            EXPECT_FALSE(has(run.trace, " host ")) << run.trace;
        }
        if (!row.sentAfterChecksum.empty()) {
            EXPECT_EQ(run.sentAfterChecksum(), row.sentAfterChecksum) << run.trace;
        }
    });
}

}  // namespace
