#pragma once

// One port's tile, large enough to read from two metres: its name, the state in words on
// the state's colour, the progress, the reason of a failure, and the port's board counts.

#include "PortTally.h"

#include <QFrame>

class QLabel;
class QProgressBar;

namespace zandor::line {

class PortTile : public QFrame {
    Q_OBJECT
public:
    PortTile(const QString& shortName, QWidget* parent = nullptr);
    void display(const PortTally& tally);

private:
    QLabel* name_;
    QLabel* state_;
    QProgressBar* progress_;
    QLabel* detail_;
    QLabel* counts_;
    QLabel* last_;
};

}  // namespace zandor::line
