#pragma once

// The set-up of a run, folded away while it runs: profile, application file, memory, the
// ports as a checked list with their stable names, and the line's options.

#include "LineSetup.h"

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace zandor::line {

class SetupPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit SetupPanel(QWidget* parent = nullptr);

    // Fills the controls; ports of the set-up the system does not list are added, ticked.
    void setSetup(const LineSetup& setup);
    LineSetup setup() const;
    void setFile(const QString& file);
    // Reads the profiles of the window's store and the serial ports again.
    void refreshLists();

private:
    void addPortRow(const QString& port, const QString& label, bool checked);

    QComboBox* profile_;
    QLineEdit* file_;
    QComboBox* memory_;
    QListWidget* ports_;
    QCheckBox* loop_;
    QCheckBox* skipBlank_;
    QLineEdit* resetSequence_;
    QLineEdit* runSequence_;
    QLineEdit* nextBoard_;
    QLineEdit* serialFile_;
    QLineEdit* serialAt_;
    QLineEdit* serialStart_;
    QLineEdit* serialCommand_;
    QLineEdit* operator_;
    QLineEdit* log_;
};

}  // namespace zandor::line
