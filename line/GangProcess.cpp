#include "GangProcess.h"

#include "platform/ChildProcessSignals.h"

#include <QJsonDocument>

namespace zandor::line {

namespace {

constexpr int kEndLimitMs = 5000;  // a run still going when the window goes is given this long

}  // namespace

GangProcess::GangProcess(QObject* parent) : QObject(parent)
{
    process_.setChildProcessModifier([] { platform::EndWithParentProcess(); });
    connect(&process_, &QProcess::readyReadStandardOutput, this, &GangProcess::takeLines);
    connect(&process_, &QProcess::readyReadStandardError, this, [this] {
        pendingErrors_ += process_.readAllStandardError();
        qsizetype end;
        while ((end = pendingErrors_.indexOf('\n')) >= 0) {
            const QString line = QString::fromLocal8Bit(pendingErrors_.left(end)).trimmed();
            pendingErrors_.remove(0, end + 1);
            if (!line.isEmpty())
                emit errorLine(line);
        }
    });
    connect(&process_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        takeLines();
        emit ended(code, status != QProcess::NormalExit, QString());
    });
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            emit ended(-1, true,
                       QStringLiteral("%1 cannot be started (%2): install zandor-cli next to zandor-line "
                                      "or name it in ZANDOR_CLI")
                           .arg(process_.program(), process_.errorString()));
    });
}

GangProcess::~GangProcess()
{
    if (!running())
        return;
    disconnect(&process_, nullptr, this, nullptr);
    interrupt();
    interrupt();  // at once: the window is going
    if (!process_.waitForFinished(kEndLimitMs))
        process_.kill();
}

void GangProcess::start(const QString& program, const QStringList& arguments)
{
    pending_.clear();
    pendingErrors_.clear();
    process_.start(program, arguments);
}

void GangProcess::interrupt()
{
    if (running())
        platform::InterruptProcess(process_.processId());
}

void GangProcess::takeLines()
{
    pending_ += process_.readAllStandardOutput();
    qsizetype end;
    while ((end = pending_.indexOf('\n')) >= 0) {
        const QByteArray line = pending_.left(end);
        pending_.remove(0, end + 1);
        const QJsonObject event = QJsonDocument::fromJson(line).object();
        if (!event.isEmpty())
            emit eventReceived(event);
    }
}

}  // namespace zandor::line
