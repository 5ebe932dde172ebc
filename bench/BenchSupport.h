#pragma once

// Small helpers shared by the benchmarks: CPU time, the built zandor-cli, and failing loudly.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <sys/resource.h>

namespace zandor::bench {

// User plus system CPU seconds of this process (`who` RUSAGE_SELF) or of its children that
// have ended and been waited for (RUSAGE_CHILDREN).
inline double CpuSeconds(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// $ZANDOR_CLI, else the one in this build tree (<build>/bench/../cli/zandor-cli).
inline QString CliPath()
{
    const QString fromEnvironment = qEnvironmentVariable("ZANDOR_CLI");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../cli/zandor-cli"));
}

inline int Fail(const char* program, const QString& what)
{
    std::fprintf(stderr, "%s: %s\n", program, qPrintable(what));
    return 1;
}

}  // namespace zandor::bench
