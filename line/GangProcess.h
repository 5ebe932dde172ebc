#pragma once

// One `zandor-cli program --ports ... --json` run: its JSON lines as events, its
// standard error as lines, a stop as the terminal's Ctrl-C would give it.

#include <QJsonObject>
#include <QObject>
#include <QProcess>

namespace zandor::line {

class GangProcess : public QObject {
    Q_OBJECT
public:
    explicit GangProcess(QObject* parent = nullptr);
    ~GangProcess() override;

    void start(const QString& program, const QStringList& arguments);
    // The first stop finishes the current record or bank on every board; a second one
    // ends the run at once (zandor-cli's own Ctrl-C handling, forwarded to every board).
    void interrupt();
    bool running() const { return process_.state() != QProcess::NotRunning; }
    qint64 processId() const { return process_.processId(); }

signals:
    void eventReceived(const QJsonObject& event);
    void errorLine(const QString& text);
    // `crashed`: it did not end by itself. `startError`: it never started, and why.
    void ended(int exitCode, bool crashed, const QString& startError);

private:
    void takeLines();

    QProcess process_;
    QByteArray pending_;
    QByteArray pendingErrors_;
};

}  // namespace zandor::line
