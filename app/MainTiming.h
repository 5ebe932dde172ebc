#pragma once

#include <QString>

namespace zandor::app {

// How long an Erase & Program took, for the tooltip of status bar panel 1, e.g.
// "Erase 0.8 s, download 20.4 s, 3213 bytes/s": the seconds to one decimal (two below one
// second), the rate as the data bytes programmed over the download's seconds (not the
// characters of an S-record file). A download that took no measurable time shows no rate.
QString EraseProgramTimingText(qint64 eraseNanoseconds, qint64 downloadNanoseconds,
                               qint64 dataBytes);

}  // namespace zandor::app
