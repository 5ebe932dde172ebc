#pragma once

// --log FILE: one JSON line per board, appended. Several board processes may write the same
// file at once: each holds an exclusive lock on it while it appends its line in one write()
// on a descriptor opened with O_APPEND, and a line cut short (a full disk, a file size
// limit) is cut back off, so a line is in the file whole or not at all and never glues onto
// the next writer's.

#include "profiles/ProfileData.h"

#include <QJsonObject>
#include <QString>

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
};

// The line's fields: time, port, board, result, exit_code, seconds, memory, profile, file,
// size, sha256.
QJsonObject BoardRecordJson(const BoardRecord& record);

// Whether the log can be appended to (it is made when missing); false with `error`. Never
// blocks: a FIFO that no program reads is refused.
bool CanAppendTo(const QString& path, QString* error);

// Appends one line; false with `error` when the file cannot be written.
bool AppendBoardRecord(const QString& path, const BoardRecord& record, QString* error);

}  // namespace zandor::cli
