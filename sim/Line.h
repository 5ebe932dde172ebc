#pragma once

// The board's end of the serial line: a pseudo-terminal master whose slave the host opens
// as its serial port. With a baud rate every byte takes 10 bit times in either direction.
// With a latency every byte sent reaches the host that much later, as behind a USB adapter
// that holds a short packet until its latency timer runs out; the board meanwhile goes on
// reading.

#include "Board.h"

#include <cstdint>
#include <deque>
#include <poll.h>
#include <string>

namespace zandor::sim {

constexpr std::int64_t kNanosecondsPerMillisecond = 1000000;

std::int64_t MonotonicNanoseconds();

// SIGTERM/SIGINT ask the board to stop, SIGUSR1 to dump its memory. They are blocked except
// while the board sleeps in ppoll, so none is lost between a check and a sleep.
void InstallSignalHandlers();
bool StopRequested();
bool TakeDumpRequest();
// Sleeps until `deadline` (monotonic ns) or a signal; false when stop was requested.
bool SleepUntil(std::int64_t deadline);
// ppoll with the signals unblocked; timeoutMs < 0 waits without limit.
int PollUnblocked(pollfd* fds, int count, int timeoutMs);

class Line : public BoardLine {
public:
    Line() = default;
    ~Line() override;
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    // Creates the pseudo-terminal in raw mode. False with `error` on failure.
    bool open(std::string& error);
    void close();
    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    void setBaud(long baud);
    void setLatency(int milliseconds);
    // Reads what the host sent; the bytes' arrival times follow from the pacing.
    // Returns the count read, 0 when nothing, -1 when the line is gone.
    int read(std::uint8_t* buffer, int capacity);
    // The board now handles byte `index` of the last read: replies wait for its arrival.
    void beginByte(int index);
    // When (monotonic ns) the byte being handled had fully arrived.
    std::int64_t arrivalNs() const { return arrival_; }

    void send(const std::string& bytes) override;
    void pause(int milliseconds) override;
    std::int64_t nowMs() const override;

    // Hands the host the bytes whose latency has run out.
    void deliverDue();
    // When (monotonic ns) the next held byte is due; -1 when none is held.
    std::int64_t nextDeliveryNs() const;
    // Waits until every held byte was delivered or a stop was requested.
    void drain();

    std::int64_t bytesReceived() const { return bytesReceived_; }
    std::int64_t bytesSent() const { return bytesSent_; }

private:
    struct HeldBytes {
        std::int64_t due = 0;  // monotonic ns
        std::string bytes;
    };

    // Writes now, or holds the bytes for the latency when there is one.
    void hand(const std::string& bytes, std::int64_t sentAt);
    void write(const std::string& bytes);
    // Sleeps until `deadline` (monotonic ns), delivering held bytes on time meanwhile.
    bool waitUntil(std::int64_t deadline);

    int master_ = -1;
    int slave_ = -1;  // held open so the master never sees a hang-up between host sessions
    std::string slavePath_;
    std::int64_t byteNanoseconds_ = 0;  // 10 bit times; 0: no pacing
    std::int64_t readStart_ = 0;        // when the first byte of the last read began to arrive
    std::int64_t rxFree_ = 0;           // when the receive wire is free again
    std::int64_t arrival_ = 0;          // arrival of the byte being handled
    std::int64_t txFree_ = 0;           // when the transmit wire is free again
    std::int64_t latencyNanoseconds_ = 0;
    std::deque<HeldBytes> held_;        // sent by the board, not yet seen by the host
    std::int64_t bytesReceived_ = 0;
    std::int64_t bytesSent_ = 0;
};

}  // namespace zandor::sim
