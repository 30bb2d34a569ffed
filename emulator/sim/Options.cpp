#include "emulator/sim/Options.h"

#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <utility>
#include <cstdlib>

const char* const SimUsage =
    "Usage: kelvane-sim [OPTION]...\n"
    "       kelvane-sim make-image OUT --size N [--no-checksum] [--all-bytes]\n"
    "\n"
    "Serves an emulated enclosure CPU on a pseudo-terminal. The first line on standard\n"
    "output is the terminal's path, for KELVANE_COM1=<path> kelvane ...\n"
    "\n"
    "The CPU:\n"
    "  --app-echo            the application only echoes the probe (no \"OS> \" prompt)\n"
    "  --start-in-loader     power up in the loader instead of the application\n"
    "  --loader-baud N       the loader's stored baud rate (default 9600)\n"
    "  --challenge KIND      the loader's key challenge: none (default), plain, m, or m-then-plain\n"
    "                        (the \"m\" challenge, then once it is answered the plain one)\n"
    "  --key-on-ey           the loader asks \"key: \" after \"ey\"\n"
    "  --key-on-py           the loader asks \"key: \" after \"py\"\n"
    "  --ff-on-restart       a 0xFF byte while the CPU resets into its loader\n"
    "Faults:\n"
    "  --silent              the CPU answers nothing\n"
    "  --garbage             every answer comes out as garbage\n"
    "  --reject-key          no unlock word is accepted\n"
    "  --drop-ack K          no acknowledgement for image chunk K (counted from 0)\n"
    "  --late-ack K[:MS]     the acknowledgement of chunk K comes MS ms late (default 4000)\n"
    "  --wrong-checksum      the CPU reports a checksum other than that of what it received\n"
    "  --disconnect-after N  the line goes away once N bytes from the host have arrived\n"
    "  --delay-ms N          every answer starts N ms late\n"
    "  --pace                characters take their real time on the line (10 bits each)\n"
    "  --ignore-ios          the application restarts on \"~ios!\" but comes back as itself,\n"
    "                        never its loader\n"
    "  --late-key MS         the loader's \"key: \" prompt comes MS ms late\n"
    "  --erase-ms N          erasing the application block takes N ms (default 400)\n"
    "  --unsolicited K       after answering image chunk K the loader prints a line of its own\n"
    "  --checksum-line KIND  the checksum report: normal (default), lower (all in lower case),\n"
    "                        no-blank (none after the colon), long (10 characters) or missing\n"
    "  --protocol-garbage    every answer comes out as garbage made of the dialogue's own\n"
    "                        characters (X x > . 0xAE 0xFF)\n"
    "  --flood N             the checksum report runs on for N characters without a line end\n"
    "  --trickle             answers reach the host one character at a time (3 ms apart)\n"
    "  --erase-text TEXT     the loader's erase answer holds a line of its own first, such as\n"
    "                        \"Old application CHECKSUM: 1A2B3C4D\"\n"
    "  --flip-byte N         byte N of the image (counted from 0) is received with its lowest\n"
    "                        bit flipped, as line noise spoils it\n"
    "  --hang-up-before-report  the line goes away while the loader sums the image\n"
    "The run:\n"
    "  --received FILE       write the image bytes exactly as received\n"
    "  --expect FILE         the image file the upload should deliver\n"
    "  --trace               print the dialogue on standard error, one direction a line\n"
    "  --once                end after one upload: once the checksum is reported and the\n"
    "                        program has closed its port, after 2 s of quiet\n"
    "  --help                show this text\n"
    "\n"
    "make-image writes an encoded image file of N bytes (at least its header) whose\n"
    "header declares the checksum the CPU reports for it, and prints that checksum;\n"
    "--all-bytes puts every byte value 0x00 to 0xFF in its payload.\n"
    "\n"
    "Exit code: 0 the last upload completed, the CPU reported the checksum of the bytes\n"
    "it received and, with --expect, those bytes were the file; 1 the last upload\n"
    "completed otherwise; 2 no complete upload; 3 bad options or no pseudo-terminal.\n"
    "SIGINT and SIGTERM end the run cleanly, with the same codes; so does the line going\n"
    "away (--disconnect-after, --hang-up-before-report).\n";

namespace {

ParseResult fail(std::string& error, std::string message) {
    error = std::move(message);
    return ParseResult::Error;
}

bool number(const char* text, long long& value) {
    if (!text || !*text) return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoll(text, &end, 10);
    return errno == 0 && *end == '\0' && value >= 0;
}

enum Option {
    AppEcho = 256, StartInLoader, LoaderBaud, Challenge, KeyOnEy, KeyOnPy, FfOnRestart, Silent, Garbage,
    RejectKey, DropAck, LateAck, WrongChecksum, DisconnectAfter, DelayMs, Pace, IgnoreIos, LateKey, EraseMs,
    UnsolicitedAt, ChecksumLineKind, ProtocolGarbage, Flood, Trickle, EraseText, FlipByte, HangUpBeforeReport,
    Received, Expect, Trace, Once, Help, Size,
    NoChecksum, AllBytes
};

}  // namespace

ParseResult parseSimOptions(int argc, char** argv, SimOptions& out, std::string& error) {
    static const option longOptions[] = {
        {"app-echo", no_argument, nullptr, AppEcho},
        {"start-in-loader", no_argument, nullptr, StartInLoader},
        {"loader-baud", required_argument, nullptr, LoaderBaud},
        {"challenge", required_argument, nullptr, Challenge},
        {"key-on-ey", no_argument, nullptr, KeyOnEy},
        {"key-on-py", no_argument, nullptr, KeyOnPy},
        {"ff-on-restart", no_argument, nullptr, FfOnRestart},
        {"silent", no_argument, nullptr, Silent},
        {"garbage", no_argument, nullptr, Garbage},
        {"reject-key", no_argument, nullptr, RejectKey},
        {"drop-ack", required_argument, nullptr, DropAck},
        {"late-ack", required_argument, nullptr, LateAck},
        {"wrong-checksum", no_argument, nullptr, WrongChecksum},
        {"disconnect-after", required_argument, nullptr, DisconnectAfter},
        {"delay-ms", required_argument, nullptr, DelayMs},
        {"pace", no_argument, nullptr, Pace},
        {"ignore-ios", no_argument, nullptr, IgnoreIos},
        {"late-key", required_argument, nullptr, LateKey},
        {"erase-ms", required_argument, nullptr, EraseMs},
        {"unsolicited", required_argument, nullptr, UnsolicitedAt},
        {"checksum-line", required_argument, nullptr, ChecksumLineKind},
        {"protocol-garbage", no_argument, nullptr, ProtocolGarbage},
        {"flood", required_argument, nullptr, Flood},
        {"trickle", no_argument, nullptr, Trickle},
        {"erase-text", required_argument, nullptr, EraseText},
        {"flip-byte", required_argument, nullptr, FlipByte},
        {"hang-up-before-report", no_argument, nullptr, HangUpBeforeReport},
        {"received", required_argument, nullptr, Received},
        {"expect", required_argument, nullptr, Expect},
        {"trace", no_argument, nullptr, Trace},
        {"once", no_argument, nullptr, Once},
        {"help", no_argument, nullptr, Help},
        {nullptr, 0, nullptr, 0},
    };
    EnclosureConfig& m = out.model;
    opterr = 0;
    optind = 1;
    for (;;) {
        const int c = getopt_long(argc, argv, "", longOptions, nullptr);
        if (c == -1) break;
        long long n = 0;
        const std::string arg = optarg ? optarg : "";
        switch (c) {
        case AppEcho: m.appPrompt = false; break;
        case StartInLoader: m.startInLoader = true; break;
        case LoaderBaud:
            if (!number(optarg, n) || n == 0 || n > 4000000) return fail(error, "bad --loader-baud: " + arg);
            m.loaderBaud = int(n);
            break;
        case Challenge:
            if (arg == "none") m.challenge = EnclosureConfig::Challenge::None;
            else if (arg == "plain") m.challenge = EnclosureConfig::Challenge::Plain;
            else if (arg == "m") m.challenge = EnclosureConfig::Challenge::MVariant;
            else if (arg == "m-then-plain") m.challenge = EnclosureConfig::Challenge::MThenPlain;
            else return fail(error, "bad --challenge (none, plain, m or m-then-plain): " + arg);
            break;
        case KeyOnEy: m.keyPromptOnEy = true; break;
        case KeyOnPy: m.keyPromptOnPy = true; break;
        case FfOnRestart: m.sendFFOnRestart = true; break;
        case Silent: m.silent = true; break;
        case Garbage: m.garbage = true; break;
        case RejectKey: m.rejectKey = true; break;
        case DropAck:
            if (!number(optarg, n) || n > 1000000000) return fail(error, "bad --drop-ack: " + arg);
            m.dropAckAtChunk = int(n);
            break;
        case LateAck: {
            const size_t colon = arg.find(':');
            long long ms = m.lateAckUs / 1000;
            if (!number(arg.substr(0, colon).c_str(), n) || n > 1000000000 ||
                (colon != std::string::npos && !number(arg.substr(colon + 1).c_str(), ms)))
                return fail(error, "bad --late-ack (K or K:MS): " + arg);
            m.lateAckAtChunk = int(n);
            m.lateAckUs = ms * 1000;
            break;
        }
        case WrongChecksum: m.wrongChecksum = true; break;
        case DisconnectAfter:
            if (!number(optarg, n)) return fail(error, "bad --disconnect-after: " + arg);
            m.disconnectAfterBytes = n;
            break;
        case DelayMs:
            if (!number(optarg, n) || n > 3600000) return fail(error, "bad --delay-ms: " + arg);
            m.answerDelayUs = n * 1000;
            break;
        case Pace: m.pace = true; break;
        case IgnoreIos: m.ignoreEnterLoader = true; break;
        case LateKey:
            if (!number(optarg, n) || n > 3600000) return fail(error, "bad --late-key: " + arg);
            m.keyPromptDelayUs = n * 1000;
            break;
        case EraseMs:
            if (!number(optarg, n) || n > 3600000) return fail(error, "bad --erase-ms: " + arg);
            m.eraseUs = n * 1000;
            break;
        case UnsolicitedAt:
            if (!number(optarg, n) || n > 1000000000) return fail(error, "bad --unsolicited: " + arg);
            m.unsolicitedAtChunk = int(n);
            break;
        case ChecksumLineKind: {
            using L = EnclosureConfig::ChecksumLine;
            const std::pair<const char*, L> kinds[] = {{"normal", L::Normal},     {"lower", L::LowerCase},
                                                       {"no-blank", L::NoBlank},  {"long", L::Long},
                                                       {"missing", L::Missing}};
            const auto* kind = std::find_if(std::begin(kinds), std::end(kinds), [&](auto& k) { return arg == k.first; });
            if (kind == std::end(kinds))
                return fail(error, "bad --checksum-line (normal, lower, no-blank, long or missing): " + arg);
            m.checksumLine = kind->second;
            break;
        }
        case ProtocolGarbage: m.protocolGarbage = true; break;
        case Flood:
            if (!number(optarg, n) || n > (1LL << 30)) return fail(error, "bad --flood: " + arg);
            m.floodChars = n;
            break;
        case Trickle: m.trickle = true; break;
        case EraseText:
            if (arg.find_first_of("\r\n") != std::string::npos)
                return fail(error, "bad --erase-text (one line): " + arg);
            m.eraseText = arg;
            break;
        case FlipByte:
            if (!number(optarg, n) || n > (1LL << 30)) return fail(error, "bad --flip-byte: " + arg);
            m.flipByte = n;
            break;
        case HangUpBeforeReport: m.hangUpBeforeReport = true; break;
        case Received: out.receivedPath = arg; break;
        case Expect: out.expectPath = arg; break;
        case Trace: out.trace = true; break;
        case Once: out.once = true; break;
        case Help: return ParseResult::Help;
        default:
            error = std::string("unknown option or missing value: ") + argv[optind - 1];
            return ParseResult::Error;
        }
    }
    if (optind < argc) return fail(error, std::string("unexpected argument: ") + argv[optind]);
    return ParseResult::Run;
}

ParseResult parseMakeImageOptions(int argc, char** argv, MakeImageOptions& out, std::string& error) {
    static const option longOptions[] = {
        {"size", required_argument, nullptr, Size},
        {"no-checksum", no_argument, nullptr, NoChecksum},
        {"all-bytes", no_argument, nullptr, AllBytes},
        {"help", no_argument, nullptr, Help},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    optind = 1;
    for (;;) {
        // "-" first: the file name may stand before or after the options.
        const int c = getopt_long(argc, argv, "-", longOptions, nullptr);
        if (c == -1) break;
        switch (c) {
        case 1:
            if (!out.outPath.empty()) return fail(error, std::string("more than one file: ") + optarg);
            out.outPath = optarg;
            break;
        case Size:
            if (!number(optarg, out.size) || out.size > (1LL << 30))
                return fail(error, std::string("bad --size: ") + optarg);
            break;
        case NoChecksum: out.checksum = false; break;
        case AllBytes: out.allBytes = true; break;
        case Help: return ParseResult::Help;
        default:
            error = std::string("unknown option or missing value: ") + argv[optind - 1];
            return ParseResult::Error;
        }
    }
    if (out.outPath.empty()) return fail(error, "make-image needs the file to write");
    if (out.size < 0) return fail(error, "make-image needs --size N");
    return ParseResult::Run;
}
