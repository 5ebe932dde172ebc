#include "StartupCommands.h"

#include "platform/ProductInfo.h"
#include "profiles/ProfileSerialSettings.h"

#include <QStringList>

namespace zandor::app {

namespace {
constexpr QChar kPieceSeparator = QLatin1Char('/');
constexpr QChar kProfileLetter = QLatin1Char('P');
}  // namespace

void ParseCommandLine(const QString& commandLine, profiles::ProfileData& profile)
{
    const QStringList pieces = commandLine.split(kPieceSeparator);
    for (const QString& rawPiece : pieces) {
        const QString piece = rawPiece.trimmed();
        if (piece.isEmpty() || piece.at(0).toUpper() != kProfileLetter)
            continue;
        profile.Name = piece.mid(1).trimmed();
    }
}

bool OpenCommPort(platform::ISerialPort& comm, const profiles::ProfileData& profile,
                  QString* reason)
{
    CloseCommPort(comm);
    QString why;
    const bool opened = comm.open(profiles::PortSettingsFromProfile(profile), &why);
    if (!opened && comm.isOpen())
        comm.close();  // a refused setting must leave the port closed, like a failed open
    if (reason)
        *reason = why;
    return opened;
}

void CloseCommPort(platform::ISerialPort& comm)
{
    if (comm.isOpen())
        comm.close();
}

QString CaptionForProfile(const QString& profileName)
{
    return platform::kApplicationTitle + QStringLiteral(" using '") + profileName
           + QLatin1Char('\'');
}

QString VersionText()
{
    return QStringLiteral("V%1.%2, Build %3")
        .arg(platform::kVersionMajor)
        .arg(platform::kVersionMinor)
        .arg(platform::kVersionRevision);
}

}  // namespace zandor::app
