#pragma once

// The behaviour of a C167 board on its serial line: the bootstrap mode, the pre-loader,
// the loaders, and the loader's record protocol, with a memory model of what was
// programmed. It sees the line only through BoardLine.

#include "EventLog.h"
#include "SimOptions.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zandor::sim {

// What the board does to its line. Implementations pace the bytes like a real UART.
class BoardLine {
public:
    virtual ~BoardLine() = default;
    // Sends bytes to the host, no earlier than the last received byte has fully arrived.
    virtual void send(const std::string& bytes) = 0;
    // The board is busy (erasing, delaying) for this long.
    virtual void pause(int milliseconds) = 0;
    // The board's clock in milliseconds; never earlier than the arrival of the byte being handled.
    virtual std::int64_t nowMs() const = 0;
};

// What the board holds: programmed bytes, and the FFh of erased banks. An address never
// erased nor programmed is not in it.
using MemoryModel = std::map<std::uint32_t, std::uint8_t>;
constexpr std::uint8_t kErasedByte = 0xFF;

// Loader images: 1024 bytes for F600h-F9FFh, then 2048 bytes for E000h-E7FFh.
constexpr int kLoaderPart1Bytes = 1024;
constexpr int kLoaderImageBytes = kLoaderPart1Bytes + 2048;
constexpr std::uint8_t kBootstrapRequest = 0x00;  // the zero byte that wakes the bootstrap mode
constexpr char kAcknowledge = '*';
constexpr char kChecksumError = '?';
constexpr std::uint8_t kEraseLineFeed = 0x0A;     // follows every erase command
constexpr int kSplitReplyGapMs = 50;              // gap between the two pieces of a split reply
constexpr char kSplitReplyTail = ' ';
constexpr int kQuietRecordMs = 1000;  // a record unfinished this long was abandoned by the host
constexpr std::int64_t kNoDeadline = -1;

class Board {
public:
    Board(const SimOptions& options, BoardLine& line, EventLog& log);

    void feed(std::uint8_t byte);
    // When (board clock, ms) a quiet line next changes something: a half-sent record is
    // dropped, or the next board is fitted. kNoDeadline: nothing is waiting for quiet.
    std::int64_t quietDeadlineMs() const;
    // Does what the quiet line brings once its deadline has passed.
    void checkQuiet();
    // --close-after-records reached: the line must be closed now.
    bool wantsLineClosed() const { return closeLine_; }
    // A reset pulse on the wired reset line: the chip starts afresh in its bootstrap mode
    // (whether it then answers is the wiring's to say); the flash keeps what was programmed.
    void restart();
    // False while --swap-ms has taken the board out and the next is not fitted yet.
    bool present() const { return state_ != State::Absent; }
    // The memory of the board fitted now.
    const MemoryModel& memory() const { return memory_; }
    int boardNumber() const { return boardNumber_; }

private:
    enum class State {
        WaitBootstrap,  // bootstrap mode, waiting for the zero byte
        Silent,         // a board that never answers
        PreLoader,      // the bootstrap loader storing the pre-loader's bytes at FA40h upward
        Crashed,        // running a garbled loader: deaf and mute until the board is reset
        LoaderImage,
        RecordStart,    // loader running, waiting for "S"
        RecordType,
        RecordCount,
        RecordBody,     // payload and checksum
        EraseLineFeed,  // erase command received, waiting for its line feed
        Absent,         // --swap-ms: the programmed board was taken out, the fixture is empty
    };

    void handle(std::uint8_t byte);
    void takeByteBetweenRecords(std::uint8_t byte);
    // A record (or the line feed after an erase command) was started but not finished.
    bool midRecord() const;
    // The line stayed quiet in the middle of a record: the host gave up on it.
    void dropPartialRecord();
    void fitNextBoard();
    void takeBoardOut();
    // The state a fresh or reset chip starts in.
    State bootState() const { return options_.silent ? State::Silent : State::WaitBootstrap; }
    void answerBootstrap();
    void finishLoaderImage();
    void finishRecord();
    void handleErase();
    void handleDataOrPassThrough(int addressBytes, bool stores);
    void replyToRecord(char reply);
    bool refusalFor(Refusal::Where where, int index, char& reply) const;

    const SimOptions& options_;
    BoardLine& line_;
    EventLog& log_;

    State state_ = State::WaitBootstrap;
    int preLoaderReceived_ = 0;
    bool reloading_ = false;
    std::vector<std::uint8_t> loaderImage_;
    std::string loaderTag_;  // the loader running now, which says what an erase erases

    char recordType_ = 0;
    int recordCount_ = 0;
    std::vector<std::uint8_t> recordBody_;  // payload then checksum
    int recordNumber_ = 0;                  // data and pass-through records so far
    int pendingEraseBank_ = -1;
    bool closeLine_ = false;

    int boardNumber_ = 0;                   // boards fitted so far, this one included
    // --rearm: this board's loader took a record, so a quiet line means it is being swapped.
    bool downloadSeen_ = false;
    std::int64_t quietSinceMs_ = 0;         // the last byte the board acted on, or when it was taken out
    MemoryModel memory_;
};

// The tag our loaders carry at the start of their E000h image ("LoaderC167"), or empty
// when it is not there: a loader image shifted by a pre-loader of the wrong size.
std::string FindLoaderTag(const std::vector<std::uint8_t>& image);
// One line per contiguous run: "<address 8 hex digits> <bytes as hex pairs>".
std::string FormatMemoryDump(const MemoryModel& memory);

}  // namespace zandor::sim
