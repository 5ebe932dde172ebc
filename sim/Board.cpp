#include "Board.h"

#include "FlashBanks.h"

#include <cctype>
#include <cstring>

namespace zandor::sim {

namespace {

constexpr char kRecordStart = 'S';
constexpr char kEraseType = 'E';
constexpr char kReloadType = 'R';
constexpr int kErasePayloadBytes = 2;  // 00h, bank
constexpr const char kLoaderTagPrefix[] = "Loader";

// Address bytes of the record types the loader passes through or programs; 0: unknown.
int AddressBytesOf(char type)
{
    switch (type) {
    case '0': case '1': case '5': case '9':
        return 2;
    case '2': case '8':
        return 3;
    case '3': case '7':
        return 4;
    default:
        return 0;
    }
}

bool IsDataType(char type)
{
    return type == '1' || type == '2' || type == '3';
}

}  // namespace

Board::Board(const SimOptions& options, BoardLine& line, EventLog& log)
    : options_(options), line_(line), log_(log)
{
    fitNextBoard();
}

void Board::fitNextBoard()
{
    ++boardNumber_;
    log_.write("board " + std::to_string(boardNumber_));
    memory_.clear();
    loaderTag_.clear();
    downloadSeen_ = false;
    state_ = bootState();
    preLoaderReceived_ = 0;
    pendingEraseBank_ = -1;
}

void Board::takeBoardOut()
{
    log_.write("board-out " + std::to_string(boardNumber_));
    state_ = State::Absent;
    quietSinceMs_ = line_.nowMs();
}

void Board::restart()
{
    if (state_ == State::Absent)
        return;  // nothing in the fixture to reset
    log_.write("reset-pulse");
    state_ = bootState();
    preLoaderReceived_ = 0;
    reloading_ = false;
    loaderImage_.clear();
    loaderTag_.clear();
    pendingEraseBank_ = -1;
}

bool Board::midRecord() const
{
    return state_ == State::RecordType || state_ == State::RecordCount ||
           state_ == State::RecordBody || state_ == State::EraseLineFeed;
}

void Board::dropPartialRecord()
{
    if (state_ == State::EraseLineFeed) {
        handleErase();  // the line feed never came; erase anyway
        return;
    }
    if (!midRecord())
        return;
    log_.write("partial-record dropped");
    state_ = State::RecordStart;
}

std::int64_t Board::quietDeadlineMs() const
{
    if (midRecord())
        return quietSinceMs_ + kQuietRecordMs;
    if (options_.swapMs > 0) {
        // The operator takes a programmed board out once its line has gone quiet, and
        // fits the next one a while later, until the fixture's boards are used up.
        if (state_ == State::Absent)
            return options_.boards == 0 || boardNumber_ < options_.boards ? quietSinceMs_ + options_.swapMs
                                                                         : kNoDeadline;
        return downloadSeen_ ? quietSinceMs_ + options_.swapMs : kNoDeadline;
    }
    if (state_ == State::RecordStart && downloadSeen_)
        return quietSinceMs_ + options_.rearmMs;
    return kNoDeadline;
}

void Board::checkQuiet()
{
    // A half-sent record is dropped first; the same quiet may then bring the next board.
    for (std::int64_t deadline = quietDeadlineMs();
         deadline != kNoDeadline && line_.nowMs() >= deadline; deadline = quietDeadlineMs()) {
        if (midRecord()) {
            dropPartialRecord();
        } else if (options_.swapMs > 0) {
            if (state_ == State::Absent)
                fitNextBoard();
            else
                takeBoardOut();
        } else {
            // The operator took the programmed board out and reset the next one.
            log_.write("rearm");
            fitNextBoard();
        }
    }
}

void Board::feed(std::uint8_t byte)
{
    if (state_ == State::Absent)
        return;  // no board to hear it, and the fixture's timing goes on
    if (state_ == State::RecordStart && byte != static_cast<std::uint8_t>(kRecordStart)) {
        // Not traffic the loader acts on: a host probing for the next board every few
        // hundred milliseconds must not keep --rearm from fitting it.
        takeByteBetweenRecords(byte);
        return;
    }
    handle(byte);
    quietSinceMs_ = line_.nowMs();
}

void Board::takeByteBetweenRecords(std::uint8_t byte)
{
    if (byte != kBootstrapRequest)
        return;  // the loader skips anything but "S" between records
    if (options_.noReset || downloadSeen_) {
        // A real loader does not answer it; with --rearm the next board is not fitted yet.
        log_.write("zero-ignored");
        return;
    }
    // The loader never sees a zero byte between records; a board that was reset into
    // bootstrap mode does, so take it as the user's reset.
    log_.write("reset");
    answerBootstrap();
}

void Board::handle(std::uint8_t byte)
{
    switch (state_) {
    case State::Silent:
    case State::Crashed:
    case State::Absent:
        return;
    case State::WaitBootstrap:
        if (byte == kBootstrapRequest)
            answerBootstrap();
        return;
    case State::PreLoader:
        // The chip counts bytes, nothing else: it jumps to the pre-loader after exactly this
        // many, and the pre-loader takes every following byte as loader image.
        if (++preLoaderReceived_ == options_.preloaderSize) {
            log_.write("preloader " + std::to_string(preLoaderReceived_));
            reloading_ = false;
            loaderImage_.clear();
            state_ = State::LoaderImage;
        }
        return;
    case State::LoaderImage:
        loaderImage_.push_back(byte);
        if (static_cast<int>(loaderImage_.size()) == kLoaderImageBytes)
            finishLoaderImage();
        return;
    case State::EraseLineFeed:
        handleErase();
        if (byte != kEraseLineFeed)
            feed(byte);  // the line feed never came: this byte belongs to what follows
        return;
    case State::RecordStart:
        state_ = State::RecordType;  // feed() takes every other byte between records
        return;
    case State::RecordType:
        recordType_ = static_cast<char>(byte);
        state_ = State::RecordCount;
        return;
    case State::RecordCount:
        recordCount_ = byte;
        recordBody_.clear();
        if (recordCount_ == 0) {
            // Not even room for a checksum: malformed.
            log_.write(std::string("record-malformed ") + recordType_);
            state_ = State::RecordStart;
            replyToRecord(kChecksumError);
            return;
        }
        state_ = State::RecordBody;
        return;
    case State::RecordBody:
        recordBody_.push_back(byte);
        if (static_cast<int>(recordBody_.size()) == recordCount_) {
            state_ = State::RecordStart;
            finishRecord();
        }
        return;
    }
}

void Board::answerBootstrap()
{
    log_.write("id-sent " + Hex2(options_.idByte));
    line_.send(std::string(1, static_cast<char>(options_.idByte)));
    preLoaderReceived_ = 0;
    state_ = State::PreLoader;
}

void Board::finishLoaderImage()
{
    const std::string tag = FindLoaderTag(loaderImage_);
    const std::string how = reloading_ ? "loader reload " : "loader first ";
    loaderImage_.clear();
    if (tag.empty()) {
        // The image arrived shifted (a pre-loader of the wrong size): the jump lands in the
        // middle of the code and the board never answers again.
        log_.write(how + "garbled");
        state_ = State::Crashed;
        return;
    }
    log_.write(how + tag);
    loaderTag_ = tag;
    state_ = State::RecordStart;
    // The new loader announces itself; injected line faults apply to record replies only.
    log_.write("reply " + Hex2(static_cast<unsigned char>(kAcknowledge)));
    line_.send(std::string(1, kAcknowledge));
}

void Board::finishRecord()
{
    const std::uint8_t checksum = recordBody_.back();
    unsigned sum = static_cast<unsigned>(recordCount_);
    for (std::size_t i = 0; i + 1 < recordBody_.size(); ++i)
        sum += recordBody_[i];
    const bool checksumRight = static_cast<std::uint8_t>(255 - sum % 256) == checksum;
    const int payloadBytes = recordCount_ - 1;

    if (recordType_ == kEraseType) {
        if (!checksumRight || payloadBytes != kErasePayloadBytes) {
            log_.write("erase-rejected");
            replyToRecord(kChecksumError);
            return;
        }
        pendingEraseBank_ = recordBody_[1];
        state_ = State::EraseLineFeed;
        return;
    }
    if (recordType_ == kReloadType) {
        if (!checksumRight || payloadBytes != 0) {
            log_.write("reload-rejected");
            replyToRecord(kChecksumError);
            return;
        }
        log_.write("reload");
        reloading_ = true;
        loaderImage_.clear();
        state_ = State::LoaderImage;
        return;
    }
    const int addressBytes = AddressBytesOf(recordType_);
    if (addressBytes == 0) {
        log_.write(std::string("record-unknown-type ") + Hex2(static_cast<unsigned char>(recordType_)));
        replyToRecord(kChecksumError);
        return;
    }
    if (!checksumRight) {
        ++recordNumber_;
        log_.write("record " + std::to_string(recordNumber_) + " " + recordType_ + " checksum-wrong");
        replyToRecord(kChecksumError);
        return;
    }
    handleDataOrPassThrough(addressBytes, IsDataType(recordType_));
}

void Board::handleErase()
{
    const int bank = pendingEraseBank_;
    pendingEraseBank_ = -1;
    state_ = State::RecordStart;
    log_.write("erase " + std::to_string(bank));
    line_.pause(options_.eraseMs);
    char refusal = 0;
    const bool refused = refusalFor(Refusal::Where::Erase, bank, refusal);
    // An erased bank reads FFh, whatever it held, until records are programmed into it.
    const std::optional<FlashBank> erased = FlashBankOf(loaderTag_, bank);
    if (erased && !refused) {
        for (std::uint32_t i = 0; i < erased->bytes; ++i)
            memory_[erased->first + i] = kErasedByte;
    }
    replyToRecord(refused ? refusal : kAcknowledge);
}

void Board::handleDataOrPassThrough(int addressBytes, bool stores)
{
    const int number = ++recordNumber_;
    if (options_.rearmMs > 0 || options_.swapMs > 0)
        downloadSeen_ = true;
    const int payloadBytes = recordCount_ - 1;
    if (payloadBytes < addressBytes) {
        log_.write("record " + std::to_string(number) + " " + recordType_ + " too-short");
        replyToRecord(kChecksumError);
        return;
    }
    std::uint32_t address = 0;
    for (int i = 0; i < addressBytes; ++i)
        address = (address << 8) | recordBody_[i];
    const int dataBytes = payloadBytes - addressBytes;
    log_.write("record " + std::to_string(number) + " " + recordType_ + " " + Hex8(address) + " " +
               std::to_string(dataBytes));

    char refusal = 0;
    if (refusalFor(Refusal::Where::Record, number, refusal)) {
        replyToRecord(refusal);
        return;
    }
    if (stores) {
        for (int i = 0; i < dataBytes; ++i)
            memory_[address + static_cast<std::uint32_t>(i)] = recordBody_[addressBytes + i];
    }
    if (options_.closeAfterRecords > 0 && number >= options_.closeAfterRecords) {
        closeLine_ = true;  // the line goes dead before the reply
        return;
    }
    replyToRecord(kAcknowledge);
}

void Board::replyToRecord(char reply)
{
    if (options_.ackDelayMs > 0)
        line_.pause(options_.ackDelayMs);
    std::string text = "reply " + Hex2(static_cast<unsigned char>(reply));
    if (!options_.strayBytes.empty()) {
        text += " stray ";
        for (char c : options_.strayBytes)
            text += Hex2(static_cast<unsigned char>(c));
    }
    if (options_.splitReply)
        text += " split " + Hex2(static_cast<unsigned char>(kSplitReplyTail));
    log_.write(text);
    line_.send(options_.strayBytes + reply);
    if (options_.splitReply) {
        line_.pause(kSplitReplyGapMs);
        line_.send(std::string(1, kSplitReplyTail));
    }
}

bool Board::refusalFor(Refusal::Where where, int index, char& reply) const
{
    for (const Refusal& refusal : options_.refusals) {
        if (refusal.where == where && refusal.index == index) {
            reply = refusal.reply;
            return true;
        }
    }
    return false;
}

std::string FindLoaderTag(const std::vector<std::uint8_t>& image)
{
    const std::size_t prefixLength = std::strlen(kLoaderTagPrefix);
    const std::size_t start = kLoaderPart1Bytes;
    if (image.size() < start + prefixLength || std::memcmp(image.data() + start, kLoaderTagPrefix, prefixLength) != 0)
        return {};
    std::size_t end = start + prefixLength;
    while (end < image.size() && std::isalnum(image[end]))
        ++end;
    if (end == start + prefixLength)
        return {};
    return std::string(image.begin() + static_cast<long>(start), image.begin() + static_cast<long>(end));
}

std::string FormatMemoryDump(const MemoryModel& memory)
{
    std::string out;
    bool open = false;
    std::uint32_t next = 0;
    for (const auto& [address, value] : memory) {
        if (!open || address != next) {
            if (open)
                out += '\n';
            out += Hex8(address);
            out += ' ';
            open = true;
        }
        out += Hex2(value);
        next = address + 1;
    }
    if (open)
        out += '\n';
    return out;
}

}  // namespace zandor::sim
