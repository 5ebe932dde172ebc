#pragma once

#include <QStringList>

namespace zandor::line {

// The names tiles show: the last part of each port's path ("ttyUSB0"), with as many parts
// before it as it takes to tell ports apart that end alike.
QStringList ShortPortNames(const QStringList& ports);

}  // namespace zandor::line
