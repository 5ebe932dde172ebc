#pragma once

#include <QString>

namespace zandor::protocol {

enum class MessageIcon { Exclamation, None };

// Where the protocol reports progress and failures. The main window shows them in its
// status bar and message boxes; tests record them.
class IReporter {
public:
    virtual ~IReporter() = default;

    // Status bar panel 1: the step text (", Done" / ", Error" are appended to it).
    virtual void setStatusText(const QString& text) = 0;
    virtual QString statusText() const = 0;
    // Status bar panel 3: the download percentage, e.g. "42%".
    virtual void setPercentText(const QString& text) = 0;
    // The main window's three-line "target device is not responding" box.
    virtual void notRespondingBox() = 0;
    // A modal box with one OK button, captioned with the application title.
    virtual void messageBox(const QString& text, MessageIcon icon) = 0;
};

}  // namespace zandor::protocol
