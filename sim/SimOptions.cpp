#include "SimOptions.h"

#include <cctype>
#include <cstdlib>

namespace zandor::sim {

namespace {

constexpr long kMaxLatencyMs = 1000;  // longer than any adapter's latency timer
constexpr long kMaxRearmMs = 60000;   // a minute to fit the next board

bool ParseInt(const std::string& text, long low, long high, long& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ParseHexBytes(const std::string& text, std::string& bytes)
{
    if (text.empty() || text.size() % 2 != 0)
        return false;
    bytes.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

// CHAR@erase:BANK or CHAR@record:N
bool ParseRefusal(const std::string& text, Refusal& refusal)
{
    if (text.size() < 4 || text[1] != '@')
        return false;
    const char reply = text[0];
    if (reply != '!' && reply != '?' && reply != '#' && reply != '$')
        return false;
    const std::string rest = text.substr(2);
    const auto colon = rest.find(':');
    if (colon == std::string::npos)
        return false;
    const std::string where = rest.substr(0, colon);
    long index = 0;
    if (where == "erase") {
        refusal.where = Refusal::Where::Erase;
        if (!ParseInt(rest.substr(colon + 1), 0, 255, index))
            return false;
    } else if (where == "record") {
        refusal.where = Refusal::Where::Record;
        if (!ParseInt(rest.substr(colon + 1), 1, 100000000, index))
            return false;
    } else {
        return false;
    }
    refusal.index = static_cast<int>(index);
    refusal.reply = reply;
    return true;
}

}  // namespace

std::string UsageText()
{
    return "usage: zandor-sim [--link PATH] [--log PATH] [--dump PATH] [--id HEX] [--silent]\n"
           "                  [--preloader-size N] [--erase-ms MS] [--ack-delay MS]\n"
           "                  [--split-reply] [--stray HEX] [--close-after-records N]\n"
           "                  [--refuse CHAR@erase:BANK | CHAR@record:N]... [--baud N]\n"
           "                  [--latency MS] [--rearm MS] [--no-reset]\n";
}

std::string HelpText()
{
    return UsageText() +
           "\nA C167 board in serial bootstrap mode, then running our loaders, on a pseudo-terminal.\n"
           "\n"
           "  --link PATH              publish the device as this symbolic link\n"
           "  --log PATH               append every event (identification, loader, erase, record)\n"
           "  --dump PATH              write the programmed memory here at exit (and on SIGUSR1)\n"
           "  --id HEX                 identification byte (C5 for a C167, D5 for an ST10F168)\n"
           "  --silent                 never answer the identification: no board\n"
           "  --preloader-size N       bytes the bootstrap mode takes (32)\n"
           "  --erase-ms MS            time one bank erase takes (20)\n"
           "  --ack-delay MS           extra delay before every record reply\n"
           "  --split-reply            reply \"*\" and a second byte 50 ms later\n"
           "  --stray HEX              bytes sent ahead of every record reply\n"
           "  --close-after-records N  close the line after N records: an adapter pulled out\n"
           "  --refuse CHAR@erase:BANK | CHAR@record:N\n"
           "                           reply CHAR (one of ! ? # $) instead of \"*\" there\n"
           "  --baud N                 pace the line as at N baud (10 bits a byte)\n"
           "  --latency MS             hold every reply MS, like a USB adapter's latency timer\n"
           "  --rearm MS               after a download, a fresh board in bootstrap mode MS later\n"
           "  --no-reset               a zero byte in loader mode is ignored, not a reset\n"
           "  -h, --help               this text\n";
}

bool ParseOptions(int argc, char** argv, SimOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = name + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        auto number = [&](long low, long high, long& out) {
            std::string text;
            if (!value(text))
                return false;
            if (!ParseInt(text, low, high, out)) {
                error = name + ": '" + text + "' is not a number from " + std::to_string(low) +
                        " to " + std::to_string(high);
                return false;
            }
            return true;
        };
        long n = 0;
        std::string text;
        if (name == "--link") {
            if (!value(options.linkPath))
                return false;
        } else if (name == "--log") {
            if (!value(options.logPath))
                return false;
        } else if (name == "--dump") {
            if (!value(options.dumpPath))
                return false;
        } else if (name == "--silent") {
            options.silent = true;
        } else if (name == "--no-reset") {
            options.noReset = true;
        } else if (name == "--split-reply") {
            options.splitReply = true;
        } else if (name == "--id") {
            std::string bytes;
            if (!value(text))
                return false;
            if (!ParseHexBytes(text, bytes) || bytes.size() != 1) {
                error = "--id: '" + text + "' is not one hexadecimal byte";
                return false;
            }
            options.idByte = static_cast<std::uint8_t>(bytes[0]);
        } else if (name == "--stray") {
            if (!value(text))
                return false;
            if (!ParseHexBytes(text, options.strayBytes)) {
                error = "--stray: '" + text + "' is not a string of hexadecimal bytes";
                return false;
            }
        } else if (name == "--preloader-size") {
            if (!number(1, 65536, n))
                return false;
            options.preloaderSize = static_cast<int>(n);
        } else if (name == "--erase-ms") {
            if (!number(0, 600000, n))
                return false;
            options.eraseMs = static_cast<int>(n);
        } else if (name == "--ack-delay") {
            if (!number(0, 600000, n))
                return false;
            options.ackDelayMs = static_cast<int>(n);
        } else if (name == "--close-after-records") {
            if (!number(1, 100000000, n))
                return false;
            options.closeAfterRecords = static_cast<int>(n);
        } else if (name == "--baud") {
            if (!number(50, 4000000, n))
                return false;
            options.baud = n;
        } else if (name == "--latency") {
            if (!number(0, kMaxLatencyMs, n))
                return false;
            options.latencyMs = static_cast<int>(n);
        } else if (name == "--rearm") {
            if (!number(1, kMaxRearmMs, n))
                return false;
            options.rearmMs = static_cast<int>(n);
        } else if (name == "--refuse") {
            if (!value(text))
                return false;
            Refusal refusal;
            if (!ParseRefusal(text, refusal)) {
                error = "--refuse: '" + text + "' is not CHAR@erase:BANK or CHAR@record:N "
                        "with CHAR one of ! ? # $";
                return false;
            }
            options.refusals.push_back(refusal);
        } else if (name == "--help" || name == "-h") {
            options.help = true;
        } else {
            error = "unknown option " + name;
            return false;
        }
    }
    return true;
}

}  // namespace zandor::sim
