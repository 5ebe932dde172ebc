#include "cli/CliOptions.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>

using namespace zandor::cli;

namespace {

QSet<QString> Matches(const QString& text, const QRegularExpression& pattern)
{
    QSet<QString> found;
    for (auto it = pattern.globalMatch(text); it.hasNext();)
        found << it.next().captured(1).remove(QLatin1Char('\\'));
    return found;
}

}  // namespace

// --help and the manual page list exactly the options the parser accepts, the internal ones
// left out.
TEST(CliOptions, HelpAndManualPageListWhatTheParserAccepts)
{
    QSet<QString> accepted;
    for (const OptionRow& row : CliOptionTable()) {
        const ParsedCommandLine parsed = ParseCliArguments({"identify", row.name, "1"});
        EXPECT_FALSE(parsed.error.startsWith("unknown option")) << row.name;
        if (row.internal)
            continue;
        accepted << row.name;
        if (row.shortName)
            accepted << row.shortName;
    }

    const QString help = UsageText();
    const QString optionsPart = help.section(QStringLiteral("Options"), 1).section(QStringLiteral("\n\n"), 0, 0);
    EXPECT_EQ(Matches(optionsPart, QRegularExpression(QStringLiteral("^  (-[a-z]|--[a-z0-9-]+)"),
                                                      QRegularExpression::MultilineOption))
                  + Matches(optionsPart, QRegularExpression(QStringLiteral("^  -[a-z], (--[a-z0-9-]+)"),
                                                            QRegularExpression::MultilineOption)),
              accepted);

    QFile page(QStringLiteral(ZANDOR_SOURCE_DIR "/packaging/man/zandor-cli.1.in"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString man = QString::fromUtf8(page.readAll());
    const QString manOptions = man.section(QStringLiteral("\n.SH OPTIONS\n"), 1).section(QStringLiteral("\n.SH "), 0, 0);
    // The tag of each item is the line after its .TP; a hyphen inside a name is "\-" too.
    QSet<QString> listed;
    for (auto it = QRegularExpression(QStringLiteral("\\.TP\\n([^\\n]*)")).globalMatch(manOptions); it.hasNext();)
        listed += Matches(it.next().captured(1), QRegularExpression(QStringLiteral("(\\\\-(?:\\\\-(?:[a-z0-9]|\\\\-)+|[a-z]))")));
    EXPECT_EQ(listed, accepted);
    for (const QString& internal : {QStringLiteral("--expect-image")})
        EXPECT_FALSE(man.contains(QString(internal).replace(QLatin1Char('-'), QStringLiteral("\\-"))));
}
