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

using Apply = bool (*)(SimOptions& options, const std::string& value);

// One option: its name, its value (nullptr for a flag), its help and its default, and how it
// is stored; false from `apply` refuses the value, with `refusal` as the reason.
struct SimOptionSpec {
    const char* name;
    const char* valueName;
    const char* help;
    const char* defaultText;
    const char* refusal;
    Apply apply;
};

template <int& (*Field)(SimOptions&), long Low, long High>
bool SetInt(SimOptions& options, const std::string& value)
{
    long n = 0;
    if (!ParseInt(value, Low, High, n))
        return false;
    Field(options) = static_cast<int>(n);
    return true;
}

int& PreloaderSize(SimOptions& o) { return o.preloaderSize; }
int& EraseMs(SimOptions& o) { return o.eraseMs; }
int& AckDelayMs(SimOptions& o) { return o.ackDelayMs; }
int& CloseAfterRecords(SimOptions& o) { return o.closeAfterRecords; }
int& LatencyMs(SimOptions& o) { return o.latencyMs; }
int& RearmMs(SimOptions& o) { return o.rearmMs; }
int& SwapMs(SimOptions& o) { return o.swapMs; }
int& Boards(SimOptions& o) { return o.boards; }

constexpr long kMaxSwapMs = 60000;  // a minute to take a board out or fit the next
constexpr long kMaxBoards = 100000;

template <std::optional<WiredLine> SimOptions::*Field>
bool SetWiredLine(SimOptions& options, const std::string& value)
{
    const auto line = ParseWiredLine(value);
    options.*Field = line;
    return line.has_value();
}

// "is not one of dtr|rts"
const std::string kWiredRefusal = "is not one of " + WiredLineChoices();
const std::string kPresenceRefusal = "is not one of " + PresenceLineChoices();

const SimOptionSpec kSimOptions[] = {
    {"--link", "PATH", "publish the device as this symbolic link", nullptr, nullptr,
     [](SimOptions& o, const std::string& v) { o.linkPath = v; return true; }},
    {"--log", "PATH", "append every event (identification, loader, erase, record)", nullptr, nullptr,
     [](SimOptions& o, const std::string& v) { o.logPath = v; return true; }},
    {"--dump", "PATH", "write the memory here at exit (and on SIGUSR1): programmed bytes, erased banks as FF", nullptr, nullptr,
     [](SimOptions& o, const std::string& v) { o.dumpPath = v; return true; }},
    {"--id", "HEX", "identification byte (C5 for a C167, D5 for an ST10F168)", "C5", "is not one hexadecimal byte",
     [](SimOptions& o, const std::string& v) {
         std::string bytes;
         if (!ParseHexBytes(v, bytes) || bytes.size() != 1)
             return false;
         o.idByte = static_cast<std::uint8_t>(bytes[0]);
         return true;
     }},
    {"--silent", nullptr, "never answer the identification: no board", nullptr, nullptr,
     [](SimOptions& o, const std::string&) { return o.silent = true; }},
    {"--preloader-size", "N", "bytes the bootstrap mode takes", "32", "is not a number from 1 to 65536",
     SetInt<PreloaderSize, 1, 65536>},
    {"--erase-ms", "MS", "time one bank erase takes", "20", "is not a number from 0 to 600000",
     SetInt<EraseMs, 0, 600000>},
    {"--ack-delay", "MS", "extra delay before every record reply", nullptr, "is not a number from 0 to 600000",
     SetInt<AckDelayMs, 0, 600000>},
    {"--split-reply", nullptr, "reply \"*\" and a second byte 50 ms later", nullptr, nullptr,
     [](SimOptions& o, const std::string&) { return o.splitReply = true; }},
    {"--stray", "HEX", "bytes sent ahead of every record reply", nullptr, "is not a string of hexadecimal bytes",
     [](SimOptions& o, const std::string& v) { return ParseHexBytes(v, o.strayBytes); }},
    {"--close-after-records", "N", "close the line after N records: an adapter pulled out", nullptr,
     "is not a number from 1 to 100000000", SetInt<CloseAfterRecords, 1, 100000000>},
    {"--refuse", "CHAR@erase:BANK | CHAR@record:N",
     "reply CHAR (one of ! ? # $) instead of \"*\" there; repeatable", nullptr,
     "is not CHAR@erase:BANK or CHAR@record:N with CHAR one of ! ? # $",
     [](SimOptions& o, const std::string& v) {
         Refusal refusal;
         if (!ParseRefusal(v, refusal))
             return false;
         o.refusals.push_back(refusal);
         return true;
     }},
    {"--baud", "N", "pace the line as at N baud (10 bits a byte)", nullptr, "is not a number from 50 to 4000000",
     [](SimOptions& o, const std::string& v) { return ParseInt(v, 50, 4000000, o.baud); }},
    {"--latency", "MS", "hold every reply MS, like a USB adapter's latency timer", nullptr,
     "is not a number from 0 to 1000", SetInt<LatencyMs, 0, kMaxLatencyMs>},
    {"--rearm", "MS", "after a download, a fresh board in bootstrap mode MS later", nullptr,
     "is not a number from 1 to 60000", SetInt<RearmMs, 1, kMaxRearmMs>},
    {"--reset-line", "dtr|rts", "the board's reset pin hangs on this line: asserted holds it in reset (needs --modem-dir)",
     nullptr, kWiredRefusal.c_str(), SetWiredLine<&SimOptions::resetLine>},
    {"--boot-line", "dtr|rts",
     "its boot pin on this one: asserted when the reset ends, bootstrap mode; released, the application runs "
     "and never answers",
     "the other line", kWiredRefusal.c_str(), SetWiredLine<&SimOptions::bootLine>},
    {"--presence-line", "none|dsr|dcd|cts", "the fixture asserts this input while a board is fitted", "none",
     kPresenceRefusal.c_str(),
     [](SimOptions& o, const std::string& v) {
         const auto line = ParsePresenceLine(v);
         o.presenceLine = line.value_or(PresenceLine::None);
         return line.has_value();
     }},
    {"--modem-dir", "DIR",
     "create DIR/changes (a FIFO, for ZANDOR_MODEMLINES_CHANGES) and DIR/inputs (for ZANDOR_MODEMLINES_INPUTS)",
     nullptr, nullptr, [](SimOptions& o, const std::string& v) { o.modemDir = v; return !v.empty(); }},
    {"--swap-ms", "MS",
     "MS after a programmed board's line went quiet it is taken out (presence released), MS later the next is "
     "fitted",
     nullptr, "is not a number from 1 to 60000", SetInt<SwapMs, 1, kMaxSwapMs>},
    {"--boards", "N", "with --swap-ms: the fixture holds N boards in turn, then stays empty", "no end",
     "is not a number from 1 to 100000", SetInt<Boards, 1, kMaxBoards>},
    {"--no-reset", nullptr, "a zero byte in loader mode is ignored, not a reset", nullptr, nullptr,
     [](SimOptions& o, const std::string&) { return o.noReset = true; }},
    {"--help", nullptr, "this text", nullptr, nullptr, [](SimOptions& o, const std::string&) { return o.help = true; }},
    {"--version", nullptr, "the version", nullptr, nullptr,
     [](SimOptions& o, const std::string&) { return o.version = true; }},
};

constexpr std::size_t kHelpColumn = 27;  // where the help's texts start

}  // namespace

std::string UsageText()
{
    std::string text = "usage: zandor-sim";
    std::size_t column = text.size();
    for (const SimOptionSpec& row : kSimOptions) {
        std::string item = std::string(" [") + row.name + (row.valueName ? std::string(" ") + row.valueName : "") + "]";
        if (column + item.size() > 90) {
            text += "\n                 ";
            column = 17;
        }
        text += item;
        column += item.size();
    }
    return text + "\n";
}

std::string HelpText()
{
    std::string text = UsageText() +
                       "\nA C167 board in serial bootstrap mode, then running our loaders, on a pseudo-terminal.\n\n";
    for (const SimOptionSpec& row : kSimOptions) {
        std::string left = std::string("  ") + (row.name == std::string("--help") ? "-h, " : "") + row.name;
        if (row.valueName)
            left += std::string(" ") + row.valueName;
        if (left.size() + 2 > kHelpColumn)
            left += "\n" + std::string(kHelpColumn, ' ');
        else
            left.resize(kHelpColumn, ' ');
        text += left + row.help + (row.defaultText ? std::string(" (") + row.defaultText + ")" : "") + "\n";
    }
    return text;
}

bool ParseOptions(int argc, char** argv, SimOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "-h")
            name = "--help";
        const SimOptionSpec* row = nullptr;
        for (const SimOptionSpec& candidate : kSimOptions) {
            if (name == candidate.name)
                row = &candidate;
        }
        if (!row) {
            error = "unknown option " + name;
            return false;
        }
        std::string value;
        if (row->valueName) {
            if (i + 1 >= argc) {
                error = name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (!row->apply(options, value)) {
            error = name + ": '" + value + "' " + row->refusal;
            return false;
        }
    }
    return CheckOptionsTogether(options, error);
}

bool CheckOptionsTogether(SimOptions& options, std::string& error)
{
    if (options.resetLine && !options.bootLine)
        options.bootLine = *options.resetLine == WiredLine::Dtr ? WiredLine::Rts : WiredLine::Dtr;
    if (options.bootLine && !options.resetLine)
        error = "--boot-line needs --reset-line";
    else if (options.resetLine && *options.resetLine == *options.bootLine)
        error = "--reset-line and --boot-line must be different lines";
    else if ((options.resetLine || options.presenceLine != PresenceLine::None) && options.modemDir.empty())
        error = "--reset-line and --presence-line need --modem-dir, where the host's line changes arrive";
    else if (options.swapMs > 0 && options.rearmMs > 0)
        error = "--swap-ms and --rearm both fit the next board: give one of them";
    else if (options.boards > 0 && options.swapMs == 0)
        error = "--boards needs --swap-ms";
    return error.empty();
}

}  // namespace zandor::sim
