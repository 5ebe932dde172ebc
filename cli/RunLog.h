#pragma once

// --log FILE: one JSON line per board, appended. Several board processes may write the same
// file at once: each holds an exclusive lock on it while it appends its line in one write()
// on a descriptor opened with O_APPEND, and a line cut short (a full disk, a file size
// limit) is cut back off, so a line is in the file whole or not at all and never glues onto
// the next writer's.

#include "profiles/ProfileData.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <optional>

namespace zandor::cli {

struct BoardRecord {
    QString port;
    int board = 0;
    int exitCode = 0;
    double seconds = 0;
    profiles::MemoryKind memoryKind = profiles::CpuFlashMemory;
    QString profile;
    QString file;
    qint64 size = 0;
    QByteArray sha256;  // raw 32 bytes
    bool crashed = false;  // a gang's board process that ended abnormally: "result":"crashed"

    QDateTime started;         // when the board's attempt began; invalid: not known
    QString operatorName;      // empty: null
    std::optional<std::uint8_t> chip;  // the byte that answered the zero byte
    QByteArray preloaderSha256;  // raw 32 bytes each; empty: null
    QByteArray loaderSha256;
    QByteArray imageSha256;    // the image as programmed: its serial number in it
    std::optional<std::uint64_t> serial;
    std::optional<int> skippedRecords;  // a download was done
    // A failure: where (empty phase: null) and why.
    QString phase;             // "identify", "loader", "erase", "download", "serial", ...
    std::optional<int> bank;
    std::optional<int> record;
    std::optional<std::uint32_t> address;
    QString message;           // empty: null (a board that succeeded)
};

// The line's keys, in their order; every line has each of them, null where it does not
// apply. Scripts read the log by these names: adding one is fine, renaming one is not.
const QStringList& BoardRecordKeys();

// The line: BoardRecordKeys(), filled from `record`.
QJsonObject BoardRecordJson(const BoardRecord& record);

// Whether the log can be appended to (it is made when missing); false with `error`. Never
// blocks: a FIFO that no program reads is refused.
bool CanAppendTo(const QString& path, QString* error);

// Appends one line; false with `error` when the file cannot be written.
bool AppendBoardRecord(const QString& path, const BoardRecord& record, QString* error);

}  // namespace zandor::cli
