#include <gtest/gtest.h>

#include "host/NetworkAddress.h"
#include "host/TelnetCodec.h"

namespace {

using Codec = TelnetCodec;

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
        int baudAnswers = 0;
        uint32_t baud = 0;
        bool comPortRefused = false;
    };
    const Row rows[] = {
        {"doubled 0xFF is one data byte", true, "a" + bytes({Iac, Iac}) + "b", "a\xff" "b", ""},
        {"answers to our own requests need none", true, bytes({Iac, Do, 0, Iac, Will, 0, Iac, Do, 44}), "", ""},
        {"options we do not take are refused", true, bytes({Iac, Do, 1, Iac, Will, 1, Iac, Do, 24}), "",
         bytes({Iac, Wont, 1, Iac, Dont, 1, Iac, Wont, 24})},
        {"a request before ours is agreed to once", false, bytes({Iac, Will, 3, Iac, Will, 3, Iac, Do, 0}), "",
         bytes({Iac, Do, 3, Iac, Will, 0})},
        {"an option switched off is answered", true, bytes({Iac, Will, 0, Iac, Wont, 0}), "", bytes({Iac, Dont, 0})},
        {"the rate the server set", true, bytes({Iac, Sb, 44, 101, 0, 0, 0xE1, 0, Iac, Se}) + "x", "x", "", 1, 57600},
        {"escaped bytes inside a command", true, bytes({Iac, Sb, 44, 101, 0, 0, Iac, Iac, Iac, Iac, Iac, Se}), "", "",
         1, 0xFFFF},
        {"other notifications carry nothing", true, bytes({Iac, Sb, 44, 107, 0x30, Iac, Se, Iac, Nop}) + "\r\n", "\r\n",
         ""},
        {"CR NUL outside binary mode is CR", true, bytes({'\r', 0, 'x', 0}), bytes({'\r', 'x', 0}), ""},
        {"CR NUL in binary mode stays", true, bytes({Iac, Will, 0, '\r', 0}), bytes({'\r', 0}), ""},
        {"the serial option refused", true, bytes({Iac, Dont, 44}), "", "", 0, 0, true},
    };
    for (const Row& row : rows) {
        for (bool oneAtATime : {false, true}) {
            SCOPED_TRACE(std::string(row.name) + (oneAtATime ? ", one byte at a time" : ""));
            Codec codec;
            if (row.greeted) codec.greeting();
            std::string data;
            if (oneAtATime)
                for (char c : row.in) data += codec.receive(std::string(1, c));
            else
                data = codec.receive(row.in);
            EXPECT_EQ(data, row.data);
            EXPECT_EQ(codec.takeReplies(), row.replies);
            EXPECT_EQ(codec.baudAnswers(), row.baudAnswers);
            EXPECT_EQ(codec.answeredBaud(), row.baud);
            EXPECT_EQ(codec.comPortRefused(), row.comPortRefused);
        }
    }
}

TEST(TelnetCodec, WhatGoesOutKeepsEveryByteAndCommandsCarryTheirValues) {
    const std::pair<std::string, std::string> rows[] = {
        {Codec::escaped(bytes({0xFF, 0, '\r', '\n', 0xFE})), bytes({0xFF, 0xFF, 0, '\r', '\n', 0xFE})},
        {Codec().greeting(), bytes({Iac, Will, 0, Iac, Will, 3, Iac, Will, 44, Iac, Do, 0, Iac, Do, 3})},
        {Codec::setBaud(57600), bytes({Iac, Sb, 44, 1, 0, 0, 0xE1, 0, Iac, Se})},
        {Codec::setBaud(0xFF00), bytes({Iac, Sb, 44, 1, 0, 0, Iac, Iac, 0, Iac, Se})},
        {Codec::setDataSize(8) + Codec::setParity('e') + Codec::setStopSize("1.5"),
         bytes({Iac, Sb, 44, 2, 8, Iac, Se, Iac, Sb, 44, 3, 3, Iac, Se, Iac, Sb, 44, 4, 3, Iac, Se})},
        {Codec::purge(Codec::Purge::Received), bytes({Iac, Sb, 44, 12, 1, Iac, Se})},
    };
    for (const auto& [made, expected] : rows) EXPECT_EQ(made, expected);
}

TEST(NetworkAddress, UrlsOfBothKindsWithNamesAndAddressesAndNothingElse) {
    using Kind = NetworkAddress::Kind;
    struct Row {
        const char* device;
        bool url, valid;
        Kind kind = Kind::Rfc2217;
        const char* host = "";
        quint16 port = 0;
    };
    const Row rows[] = {
        {"rfc2217://127.0.0.1:2217", true, true, Kind::Rfc2217, "127.0.0.1", 2217},
        {"SOCKET://rack-3.example:4001/", true, true, Kind::RawTcp, "rack-3.example", 4001},
        {"rfc2217://[::1]:7000", true, true, Kind::Rfc2217, "::1", 7000},
        {"rfc2217://::1:7000", true, false},
        {"rfc2217://host:0", true, false},
        {"socket://host:65536", true, false},
        {"socket://:4001", true, false},
        {"rfc2217://[host]:4001", true, false},
        {"/dev/ttyUSB0", false, false},
        {"telnet://host:23", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.device);
        EXPECT_EQ(NetworkAddress::isUrl(row.device), row.url);
        const auto address = NetworkAddress::parse(row.device);
        ASSERT_EQ(address.has_value(), row.valid);
        if (!address) continue;
        EXPECT_EQ(address->kind, row.kind);
        EXPECT_EQ(address->host, row.host);
        EXPECT_EQ(address->port, row.port);
    }
}

}  // namespace
