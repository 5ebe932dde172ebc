#pragma once

// Runs the built zandor-cli in the samples folder, on a settings store of its own, and
// collects its exit code, its JSON lines and its standard error.

#include "support/SimulatedTarget.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>

namespace zandor::testing {

inline QString CliPath()
{
    const QString path = qEnvironmentVariable("ZANDOR_CLI");
    return path.isEmpty() ? QStringLiteral("zandor-cli") : path;
}

// Every line of `text` as a JSON object; an empty object for a line that is none.
inline QList<QJsonObject> JsonLines(const QByteArray& text)
{
    QList<QJsonObject> lines;
    for (const QByteArray& line : text.split('\n')) {
        if (!line.isEmpty())
            lines << QJsonDocument::fromJson(line).object();
    }
    return lines;
}

// The lines of a board log (--log); none when it cannot be read.
inline QList<QJsonObject> LogLines(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? JsonLines(file.readAll()) : QList<QJsonObject>{};
}

// How many lines of the simulator's log match `pattern` ("^id-sent": the boards identified).
inline int Logged(const SimulatedTarget& sim, const QString& pattern)
{
    return int(sim.log().filter(QRegularExpression(pattern)).size());
}

class CliRun {
public:
    // `store`: the contents of the settings store the run finds (the window's Zandor.ini).
    // `program` runs instead of zandor-cli (a shell around it); `inChild` runs in the child
    // before it starts (a resource limit).
    explicit CliRun(QStringList arguments, const QByteArray& store = {}, const QString& program = CliPath(),
                    const std::function<void()>& inChild = {})
    {
        if (!store.isEmpty() && QDir(config.path()).mkpath(QStringLiteral("Zandor"))) {
            QFile ini(config.filePath(QStringLiteral("Zandor/Zandor.ini")));
            if (ini.open(QIODevice::WriteOnly))
                ini.write(store);
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());  // never the user's profiles
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(SamplesDir());
        if (inChild)
            process.setChildProcessModifier(inChild);
        process.start(program, arguments);
    }

    // Waits for the end (bounded); the exit code, or -1 when it did not end by itself.
    int finish(int limitMs = 60000)
    {
        if (!process.waitForFinished(limitMs) || process.exitStatus() != QProcess::NormalExit)
            return -1;
        output += process.readAllStandardOutput();
        return process.exitCode();
    }

    // Reads standard output until a JSON line of `event` comes (bounded); that line.
    QJsonObject waitForEvent(const QString& event, int limitMs = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < limitMs) {
            while (process.canReadLine()) {
                const QByteArray line = process.readLine();
                output += line;
                const QJsonObject object = QJsonDocument::fromJson(line).object();
                if (object.value(QStringLiteral("event")).toString() == event)
                    return object;
            }
            if (!process.waitForReadyRead(100) && process.state() == QProcess::NotRunning)
                break;
        }
        return {};
    }

    // Every line of standard output as a JSON object; an empty object for a line that is none.
    QList<QJsonObject> jsonLines() const { return JsonLines(output); }
    // The result line (the last one) and its message.
    QJsonObject result() const { return jsonLines().value(jsonLines().size() - 1); }
    QString message() const { return result().value(QStringLiteral("message")).toString(); }
    // The last line of `event`; an empty object when there is none.
    QJsonObject last(const QString& event) const
    {
        QJsonObject found;
        for (const QJsonObject& line : jsonLines())
            found = line.value(QStringLiteral("event")).toString() == event ? line : found;
        return found;
    }
    // How many lines of standard output are of `event`.
    int count(const QString& event) const
    {
        int n = 0;
        for (const QJsonObject& line : jsonLines())
            n += line.value(QStringLiteral("event")).toString() == event;
        return n;
    }
    // The doctor's check called `name` in the result line.
    QJsonObject check(const QString& name) const
    {
        for (const QJsonValue& value : result().value(QStringLiteral("checks")).toArray()) {
            if (value.toObject().value(QStringLiteral("name")).toString() == name)
                return value.toObject();
        }
        return {};
    }

    QString errors() { return QString::fromLocal8Bit(process.readAllStandardError()); }

    QTemporaryDir config;
    QProcess process;
    QByteArray output;
};

}  // namespace zandor::testing
