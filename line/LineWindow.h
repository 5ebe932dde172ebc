#pragma once

// The production line as an operator sees it: the totals and Start/Stop at the top, the
// set-up (folded away while running), one tile per port, and the last log lines. It runs
// one gang run of zandor-cli and renders its JSON events.

#include "GangProcess.h"
#include "LineSetup.h"
#include "PortTally.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>
#include <vector>

class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace zandor::line {

class PortTile;
class SetupPanel;

class LineWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit LineWindow(const LineSetup& setup, QWidget* parent = nullptr);

    bool running() const { return running_; }
    qint64 gangProcessId() const { return gang_->processId(); }

public slots:
    // Checks the set-up and starts the run; a problem is shown and nothing is started.
    void start();
    // Every board finishes its current record or bank; pressed again, the run ends at once.
    void stop();

signals:
    void runEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* buildTotals();
    void buildTiles(const QStringList& ports);
    void onEvent(const QJsonObject& event);
    void onRunResult(const QJsonObject& event);
    void onEnded(int exitCode, bool crashed, const QString& startError);
    void showTally(int index);
    void showTotals();
    void showProblem(const QString& text);
    void appendLog(const QString& port, const QString& text);
    void setRunning(bool running);
    void saveSetup();
    int indexOfPort(const QString& port) const;

    SetupPanel* setupPanel_;
    QPushButton* setupToggle_;
    QPushButton* startButton_;
    QPushButton* stopButton_;
    QLabel* problem_;
    QWidget* tileHost_;
    QGridLayout* tileGrid_;
    QPlainTextEdit* log_;
    QList<QLabel*> totalValues_;  // in the order of the totals table
    GangProcess* gang_;
    QTimer clockTimer_;
    QElapsedTimer clock_;
    qint64 elapsedMs_ = 0;
    std::vector<PortTally> tallies_;
    std::vector<PortTile*> tiles_;
    QStringList shortNames_;
    bool running_ = false;
    bool stopRequested_ = false;
    bool closeWhenEnded_ = false;
};

}  // namespace zandor::line
