#pragma once

#include <QString>

namespace zandor::app {

// The tooltip of status bar panel 1. Its first line is always the panel's whole text, so a
// text the panel cuts can be read by pointing at it; the lines under it say what else is
// known, in this order: the chip that answered the identification, the reason of the last
// failure, the erase and download times of the last run. A line that only repeats the
// panel's text is left out.
class PanelTip {
public:
    // The chip that answered the identification, e.g. "C167 (C5h)"; empty when unknown.
    void setChip(const QString& chip) { chip_ = chip; }
    // Why the last command failed; empty after one that did not.
    void setFailure(const QString& reason) { failure_ = reason; }
    QString failure() const { return failure_; }
    // "Erase 0.80 s, download 20.4 s, 3213 bytes/s" of the last run that programmed the
    // whole file; empty otherwise.
    void setTimes(const QString& times) { times_ = times; }

    QString text(const QString& panelText) const;

private:
    QString chip_;
    QString failure_;
    QString times_;
};

}  // namespace zandor::app
