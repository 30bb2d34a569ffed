#include "host/TelnetCodec.h"

namespace {

constexpr uint8_t Se = 240;
constexpr uint8_t Sb = 250;
constexpr uint8_t Will = 251;
constexpr uint8_t Wont = 252;
constexpr uint8_t Do = 253;
constexpr uint8_t Dont = 254;
constexpr uint8_t Iac = 255;

// COM-PORT-OPTION commands, client to server; the server answers with 100 added.
constexpr uint8_t SetBaudRate = 1;
constexpr uint8_t SetDataSize = 2;
constexpr uint8_t SetParity = 3;
constexpr uint8_t SetStopSize = 4;
constexpr uint8_t PurgeData = 12;
constexpr uint8_t ServerAnswer = 100;

constexpr char Cr = '\r';

std::string comPort(uint8_t command, std::string_view value) {
    std::string out{char(Iac), char(Sb), char(TelnetCodec::ComPortOption), char(command)};
    out += TelnetCodec::escaped(value);
    out += {char(Iac), char(Se)};
    return out;
}

std::string oneByte(uint8_t command, uint8_t value) { return comPort(command, std::string(1, char(value))); }

}  // namespace

std::string TelnetCodec::escaped(std::string_view data) {
    std::string out;
    out.reserve(data.size() + data.size() / 64);
    for (char c : data) {
        out += c;
        if (uint8_t(c) == Iac) out += c;
    }
    return out;
}

bool TelnetCodec::wantedLocally(uint8_t option) {
    return option == Binary || option == SuppressGoAhead || option == ComPortOption;
}

bool TelnetCodec::wantedRemotely(uint8_t option) { return option == Binary || option == SuppressGoAhead; }

void TelnetCodec::reply(uint8_t verb, uint8_t option) { replies_ += {char(Iac), char(verb), char(option)}; }

void TelnetCodec::ask(Side& side, uint8_t verb, uint8_t option) {
    if (side.on || side.asked) return;
    side.asked = true;
    reply(verb, option);
}

std::string TelnetCodec::greeting() {
    for (uint8_t option : {Binary, SuppressGoAhead, ComPortOption}) ask(us_[option], Will, option);
    for (uint8_t option : {Binary, SuppressGoAhead}) ask(him_[option], Do, option);
    return takeReplies();
}

std::string TelnetCodec::setBaud(uint32_t baud) {
    const std::string value{char(baud >> 24), char(baud >> 16), char(baud >> 8), char(baud)};
    return comPort(SetBaudRate, value);
}

std::string TelnetCodec::setDataSize(int bits) { return oneByte(SetDataSize, uint8_t(bits)); }

std::string TelnetCodec::setParity(char parity) {
    switch (parity) {
    case 'o': return oneByte(SetParity, 2);
    case 'e': return oneByte(SetParity, 3);
    case 'm': return oneByte(SetParity, 4);
    case 's': return oneByte(SetParity, 5);
    default: return oneByte(SetParity, 1);
    }
}

std::string TelnetCodec::setStopSize(std::string_view stopBits) {
    return oneByte(SetStopSize, stopBits == "2" ? 2 : stopBits == "1.5" ? 3 : 1);
}

std::string TelnetCodec::purge(Purge what) { return oneByte(PurgeData, uint8_t(what)); }

std::string TelnetCodec::takeReplies() {
    std::string out;
    out.swap(replies_);
    return out;
}

void TelnetCodec::command(uint8_t verb, uint8_t option) {
    const bool local = verb == Do || verb == Dont;
    Side& side = local ? us_[option] : him_[option];
    const bool wanted = local ? wantedLocally(option) : wantedRemotely(option);
    const uint8_t yes = local ? Will : Do;
    const uint8_t no = local ? Wont : Dont;
    if (verb == Do || verb == Will) {
        if (!wanted) {
            reply(no, option);
        } else if (!side.on) {
            // An answer to our own request needs none in return.
            if (!side.asked) reply(yes, option);
            side.on = true;
        }
        side.asked = false;
        return;
    }
    if (side.on) reply(no, option);
    if (local && option == ComPortOption && (side.on || side.asked)) comPortRefused_ = true;
    side.on = side.asked = false;
}

void TelnetCodec::subnegotiation() {
    if (sub_.size() < 2 || uint8_t(sub_[0]) != ComPortOption) return;
    if (uint8_t(sub_[1]) == ServerAnswer + SetBaudRate && sub_.size() >= 6) {
        answeredBaud_ = 0;
        for (size_t i = 2; i < 6; ++i) answeredBaud_ = answeredBaud_ << 8 | uint8_t(sub_[i]);
        ++baudAnswers_;
    }
}

std::string TelnetCodec::receive(std::string_view bytes) {
    std::string data;
    data.reserve(bytes.size());
    for (char c : bytes) {
        const uint8_t b = uint8_t(c);
        switch (state_) {
        case State::Data:
            if (b == Iac) {
                state_ = State::Iac;
                break;
            }
            // A server outside binary mode sends CR as CR NUL; the NUL is not the line's.
            if (!(afterCr_ && b == 0 && !serverBinary())) data += c;
            afterCr_ = c == Cr;
            break;
        case State::Iac:
            state_ = State::Data;
            if (b == Iac) {
                data += c;
                afterCr_ = false;
            } else if (b >= Will && b <= Dont) {
                verb_ = b;
                state_ = State::Verb;
            } else if (b == Sb) {
                sub_.clear();
                state_ = State::Sub;
            }
            // Other commands (NOP, go-ahead, break, ...) carry nothing for the line.
            break;
        case State::Verb:
            command(verb_, b);
            state_ = State::Data;
            break;
        case State::Sub:
            if (b == Iac) state_ = State::SubIac;
            else sub_ += c;
            break;
        case State::SubIac:
            if (b == Iac) {
                sub_ += c;
                state_ = State::Sub;
            } else {
                if (b == Se) subnegotiation();
                state_ = State::Data;
            }
            break;
        }
    }
    return data;
}
