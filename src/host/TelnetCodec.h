#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The telnet layer of an RFC 2217 line, without the socket: what goes out is escaped,
// what comes in is split into the line's own bytes and the server's commands, and the
// server's option requests are answered. The line is byte-transparent: both directions
// are asked to run in binary mode, every 0xFF of the data travels doubled, and no CR
// is ever followed by an added NUL or LF. Modem-control lines are never asked for.
class TelnetCodec {
public:
    // Options this client takes part in; every other one is refused.
    static constexpr uint8_t Binary = 0;
    static constexpr uint8_t SuppressGoAhead = 3;
    static constexpr uint8_t ComPortOption = 44;

    // Purge kinds of the COM-PORT-OPTION.
    enum class Purge : uint8_t { Received = 1, Transmitted = 2, Both = 3 };

    // The line's bytes ready to send: each 0xFF doubled.
    static std::string escaped(std::string_view data);
    // What a client says first: binary both ways, no go-aheads, and that it will send
    // COM-PORT-OPTION commands.
    std::string greeting();
    // COM-PORT-OPTION commands (parity 'n', 'o', 'e', 'm', 's'; stop bits as text).
    static std::string setBaud(uint32_t baud);
    static std::string setDataSize(int bits);
    static std::string setParity(char parity);
    static std::string setStopSize(std::string_view stopBits);
    static std::string purge(Purge what);

    // Takes bytes from the server and returns the line's bytes among them.
    std::string receive(std::string_view bytes);
    // The answers to the server's option requests since the last call.
    std::string takeReplies();

    // The server's answers to the baud rate command, and the last rate it answered.
    int baudAnswers() const { return baudAnswers_; }
    uint32_t answeredBaud() const { return answeredBaud_; }
    // The server has said it will not take COM-PORT-OPTION commands.
    bool comPortRefused() const { return comPortRefused_; }
    // Whether the server sends in binary mode (and so adds no NUL after a CR).
    bool serverBinary() const { return him_[Binary].on; }

private:
    struct Side {
        bool on = false;
        bool asked = false;  // we asked and wait for the answer
    };
    static bool wantedLocally(uint8_t option);
    static bool wantedRemotely(uint8_t option);
    void command(uint8_t verb, uint8_t option);
    void subnegotiation();
    void reply(uint8_t verb, uint8_t option);
    void ask(Side& side, uint8_t verb, uint8_t option);

    enum class State { Data, Iac, Verb, Sub, SubIac } state_ = State::Data;
    uint8_t verb_ = 0;
    std::string sub_;
    std::string replies_;
    bool afterCr_ = false;
    std::array<Side, 256> us_{}, him_{};
    int baudAnswers_ = 0;
    uint32_t answeredBaud_ = 0;
    bool comPortRefused_ = false;
};
