#pragma once

// The files the protocol sends are read by the platform (regular files of a sane size
// only); the protocol words their faults.

#include "platform/InputFileReader.h"

#include <QString>

namespace zandor::protocol {

using platform::InputFile;
using platform::InputFileError;
using platform::kMaxInputFileBytes;
using platform::ReadInputFile;

// "Cannot read <file>: <reason>."
QString InputFileFaultText(const QString& file, const QString& reason);
// "Error in <file>, line <n>: <fault>."
QString LineFaultText(const QString& file, int line, const QString& fault);

}  // namespace zandor::protocol
