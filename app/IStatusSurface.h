#pragma once

#include <QString>

namespace zandor::app {

enum class MessageIcon { Exclamation, None };

// The parts of the main window the protocol's progress is shown on: status bar panels 1
// and 3 and its message boxes. The window implements it; tests record it.
class IStatusSurface {
public:
    virtual ~IStatusSurface() = default;

    // Status bar panel 1: the step text (", Done" / ", Error" are appended to it).
    virtual void setStatusText(const QString& text) = 0;
    virtual QString statusText() const = 0;
    // Status bar panel 3: the download's progress, 0 to 100, and its text, e.g. "42%".
    virtual void setPercent(int percent, const QString& text) = 0;
    // The main window's three-line "target device is not responding" box.
    virtual void notRespondingBox() = 0;
    // A modal box with one OK button, captioned with the application title.
    virtual void messageBox(const QString& text, MessageIcon icon) = 0;
};

}  // namespace zandor::app
