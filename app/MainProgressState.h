#pragma once

#include "protocol/ProtocolEvents.h"

#include <QPalette>

class QProgressBar;

namespace zandor::app {

// The run states of status bar panel 3, the download's progress bar. Every Erase & Program
// starts it empty, so a percentage left from an earlier run never stands beside a new
// failure. At the end the bar keeps its text ("100%", or the percentage reached) and takes
// the colour of how the run ended; the text and panel 1's ", Done" / ", Error" /
// ", Stopped" say the same, so the colour is never the only sign. The state is also the
// bar's "runState" property ("", "done", "error", "stopped") for style sheets and tests.
class ProgressRunState {
public:
    // The bar as the layout made it: its palette is the neutral one.
    void attach(QProgressBar* bar);

    // Empty (no fill, no text) in the bar's normal colours.
    void start();
    // The run's outcome: Done fills the bar to 100 %; any other keeps what was reached.
    void finish(protocol::Outcome outcome);

private:
    void show(const char* state);

    QProgressBar* bar_ = nullptr;
    QPalette neutral_;
};

}  // namespace zandor::app
