#pragma once

#include <QObject>

namespace zandor::app {

// Esc asks a running Erase & Program to stop after the current bank or record, as the
// command line's first Ctrl-C does. The window is disabled while it runs, so no shortcut
// of its own would fire: for its lifetime this filter watches the key presses of the
// whole application. It asks nothing; while a message box is up, Esc is the box's.
class StopKey : public QObject {
    Q_OBJECT

public:
    StopKey();
    ~StopKey() override;
    StopKey(const StopKey&) = delete;
    StopKey& operator=(const StopKey&) = delete;

    // True once Esc was pressed; the protocol asks it after every answered bank or record.
    bool pressed() const { return pressed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool pressed_ = false;
};

}  // namespace zandor::app
