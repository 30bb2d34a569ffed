#include <gtest/gtest.h>

#include "host/NetworkAddress.h"
#include "host/TelnetCodec.h"

namespace {

// Byte strings written as the line sees them.
std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += char(v);
    return s;
}
constexpr int Iac = 255, Dont = 254, Do = 253, Wont = 252, Will = 251, Sb = 250, Se = 240, Nop = 241;

TEST(TelnetCodec, ServerBytesSplitIntoTheLinesOwnAndAnswersWhetherTheyComeWholeOrOneAtATime) {
    struct Row {
        const char* name;
        bool greeted;  // the client's own requests went out first
        std::string in, data, replies;
        const char* state = "0 0";  // baud rate answers, the last rate, whether the serial option was refused
    };
    const Row rows[] = {
        {"doubled 0xFF is one data byte", true, "a" + bytes({Iac, Iac}) + "b", "a\xff" "b", ""},
        {"answers to our own requests need none", true, bytes({Iac, Do, 0, Iac, Will, 0, Iac, Do, 44}), "", ""},
        {"options we do not take are refused", true, bytes({Iac, Do, 1, Iac, Will, 1}), "",
         bytes({Iac, Wont, 1, Iac, Dont, 1})},
        {"a request before ours is agreed to once", false, bytes({Iac, Will, 3, Iac, Will, 3, Iac, Do, 0}), "",
         bytes({Iac, Do, 3, Iac, Will, 0})},
        {"an option switched off is answered", true, bytes({Iac, Will, 0, Iac, Wont, 0}), "", bytes({Iac, Dont, 0})},
        {"the rate the server set", true, bytes({Iac, Sb, 44, 101, 0, 0, 0xE1, 0, Iac, Se}) + "x", "x", "", "1 57600"},
        {"escaped bytes inside a command", true, bytes({Iac, Sb, 44, 101, 0, 0, Iac, Iac, Iac, Iac, Iac, Se}), "", "",
         "1 65535"},
        {"other notifications carry nothing", true, bytes({Iac, Sb, 44, 107, 0x30, Iac, Se, Iac, Nop}), "", ""},
        {"CR NUL outside binary mode is CR", true, bytes({'\r', 0, 'x', 0}), bytes({'\r', 'x', 0}), ""},
        {"CR NUL in binary mode stays", true, bytes({Iac, Will, 0, '\r', 0}), bytes({'\r', 0}), ""},
        {"the serial option refused", true, bytes({Iac, Dont, 44}), "", "", "0 0 refused"},
    };
    for (const Row& row : rows) {
        for (size_t step : {row.in.size(), size_t(1)}) {
            SCOPED_TRACE(std::string(row.name) + (step == 1 ? ", one byte at a time" : ""));
            TelnetCodec codec;
            if (row.greeted) codec.greeting();
            std::string data;
            for (size_t at = 0; at < row.in.size(); at += step) data += codec.receive(row.in.substr(at, step));
            EXPECT_EQ(data, row.data);
            EXPECT_EQ(codec.takeReplies(), row.replies);
            EXPECT_EQ(std::to_string(codec.baudAnswers()) + " " + std::to_string(codec.answeredBaud()) +
                          (codec.comPortRefused() ? " refused" : ""),
                      row.state);
        }
    }
}

TEST(TelnetCodec, WhatGoesOutKeepsEveryByteAndCommandsCarryTheirValues) {
    const std::pair<std::string, std::string> rows[] = {
        {TelnetCodec::escaped(bytes({0xFF, 0, '\r', '\n', 0xFE})), bytes({0xFF, 0xFF, 0, '\r', '\n', 0xFE})},
        {TelnetCodec().greeting(), bytes({Iac, Will, 0, Iac, Will, 3, Iac, Will, 44, Iac, Do, 0, Iac, Do, 3})},
        {TelnetCodec::setBaud(0xFF00), bytes({Iac, Sb, 44, 1, 0, 0, Iac, Iac, 0, Iac, Se})},
        {TelnetCodec::setDataSize(8) + TelnetCodec::setParity('e') + TelnetCodec::setStopSize("1.5"),
         bytes({Iac, Sb, 44, 2, 8, Iac, Se, Iac, Sb, 44, 3, 3, Iac, Se, Iac, Sb, 44, 4, 3, Iac, Se})},
    };
    for (const auto& [made, expected] : rows) EXPECT_EQ(made, expected);
}

TEST(NetworkAddress, UrlsOfBothKindsWithNamesAndAddressesAndNothingElse) {
    using Kind = NetworkAddress::Kind;
    // The address as "kind host port", or "" for a malformed URL, "-" for no URL at all.
    const std::pair<const char*, const char*> rows[] = {
        {"rfc2217://127.0.0.1:2217", "0 127.0.0.1 2217"}, {"SOCKET://rack-3.example:4001/", "1 rack-3.example 4001"},
        {"rfc2217://[::1]:7000", "0 ::1 7000"},           {"rfc2217://::1:7000", ""},
        {"rfc2217://host:0", ""},                         {"socket://host:65536", ""},
        {"socket://:4001", ""},                           {"rfc2217://[host]:4001", ""},
        {"/dev/ttyUSB0", "-"},                            {"telnet://host:23", "-"},
    };
    for (const auto& [device, expected] : rows) {
        const auto a = NetworkAddress::parse(device);
        const QString got = !NetworkAddress::isUrl(device) ? "-"
                            : a ? QStringLiteral("%1 %2 %3").arg(a->kind == Kind::RawTcp).arg(a->host).arg(a->port)
                                : "";
        EXPECT_EQ(got.toStdString(), expected) << device;
    }
}

}  // namespace
