#pragma once

// The processes a test's child started, from /proc (Linux): a gang's board processes.

#include <QFile>
#include <QList>

namespace zandor::testing {

inline QList<qint64> ChildrenOf(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
    QList<qint64> children;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& word : file.readAll().simplified().split(' '))
            if (!word.isEmpty())
                children << word.toLongLong();
    }
    return children;
}

// Ended, or a zombie nobody has reaped yet.
inline bool ProcessGone(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    return !status.open(QIODevice::ReadOnly) || status.readAll().contains("State:\tZ");
}

}  // namespace zandor::testing
