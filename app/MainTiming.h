#pragma once

#include <QString>

namespace zandor::app {

// How long an Erase & Program took, for the tooltip of status bar panel 1, e.g.
// "Erase 0.8 s, download 20.4 s, 3213 bytes/s": the seconds to one decimal, the rate as the
// application file's bytes over the download's seconds. A download that took no measurable
// time shows no rate.
QString EraseProgramTimingText(qint64 eraseNanoseconds, qint64 downloadNanoseconds,
                               qint64 fileBytes);

}  // namespace zandor::app
