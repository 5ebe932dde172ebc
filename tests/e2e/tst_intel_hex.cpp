// Intel HEX files made by srecord's srec_cat (a converter nobody here wrote) in the 16-bit,
// segment (02) and linear (04) address forms, in order and as shuffled one-byte records:
// zandor-cli programs each into the simulated board, which must then hold, byte for byte,
// what the same data as an S-record file gives.

#include "CliRun.h"
#include "support/SampleImages.h"
#include "support/TestFiles.h"

#include <QRandomGenerator>
#include <QStandardPaths>
#include <QtTest>
#include <algorithm>

using namespace zandor::testing;

namespace {

const QString kSource = QStringLiteral("Appl.bin");

// srec_cat's output for the sample binary placed at `offset`; empty when it failed.
QString Convert(const QString& dir, const QString& name, quint32 offset, const QStringList& format)
{
    const QString out = QDir(dir).filePath(name);
    QProcess srec;
    srec.start(QStringLiteral("srec_cat"), QStringList{QDir(SamplesDir()).filePath(kSource), "-binary", "-offset",
                                                       "0x" + QString::number(offset, 16), "-o", out}
                                               + format);
    if (!srec.waitForFinished(30000) || srec.exitCode() != 0) {
        qWarning("srec_cat: %s", srec.readAllStandardError().constData());
        return {};
    }
    return out;
}

// The data records shuffled, each one kept under the base record (02 or 04) it follows;
// the groups shuffled too, the end record kept last.
bool Shuffle(const QString& path)
{
    QList<QList<QByteArray>> groups{{}};
    QByteArray end;
    for (const QByteArray& raw : ReadTestFile(path).split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty())
            continue;
        const QByteArray type = line.mid(7, 2);
        if (type == "01")
            end = line;
        else if (type == "02" || type == "04")
            groups.append({line});
        else
            groups.last().append(line);
    }
    auto* random = QRandomGenerator::global();
    for (auto& group : groups) {
        const bool headed = !group.isEmpty() && (group.first().mid(7, 2) == "02" || group.first().mid(7, 2) == "04");
        std::shuffle(group.begin() + (headed ? 1 : 0), group.end(), *random);
    }
    std::shuffle(groups.begin(), groups.end(), *random);
    QByteArray out;
    for (const auto& group : groups)
        for (const QByteArray& line : group)
            out += line + "\r\n";
    return !end.isEmpty() && WriteTestFile(path, out + end + "\r\n");
}

// Programs `file` into a fresh simulated board; its memory, empty when the run failed.
QMap<quint32, quint8> Program(const QString& file)
{
    SimulatedTarget sim;
    if (!sim.start()) {
        qWarning("%s", qPrintable(sim.errorText()));
        return {};
    }
    CliRun cli({"program", file, "--port", sim.devicePath(), "--json"});
    const int exitCode = cli.finish();
    sim.stop();
    if (exitCode != 0) {
        qWarning("zandor-cli exited %d: %s %s", exitCode, cli.output.constData(), qPrintable(cli.errors()));
        return {};
    }
    return sim.memory();
}

}  // namespace

class tst_intel_hex : public QObject {
    Q_OBJECT
private slots:
    void theBoardHoldsWhatTheSRecordFileGives_data();
    void theBoardHoldsWhatTheSRecordFileGives();
};

void tst_intel_hex::theBoardHoldsWhatTheSRecordFileGives_data()
{
    QTest::addColumn<quint32>("offset");
    QTest::addColumn<QStringList>("format");
    QTest::addColumn<bool>("shuffled");
    // Below 64 KiB for the 16-bit form; across the 64 KiB boundary at 20000h for the others.
    const QStringList i8 = {"-intel", "--address-length=2"}, i16 = {"-intel", "--address-length=3"},
                      i32 = {"-intel", "--address-length=4"};
    const QStringList oneByte = {"--output-block-size=1"};
    QTest::newRow("16-bit, shuffled one-byte records") << quint32(0xF000) << i8 + oneByte << true;
    QTest::newRow("segment, shuffled one-byte records") << quint32(0x1FA00) << i16 + oneByte << true;
    QTest::newRow("linear") << quint32(0x1FA00) << i32 << false;
    QTest::newRow("linear, shuffled one-byte records") << quint32(0x1FA00) << i32 + oneByte << true;
}

void tst_intel_hex::theBoardHoldsWhatTheSRecordFileGives()
{
    if (QStandardPaths::findExecutable(QStringLiteral("srec_cat")).isEmpty())
        QSKIP("srec_cat is not installed (Debian package srecord): the Intel HEX files cannot be made");
    QFETCH(quint32, offset);
    QFETCH(QStringList, format);
    QFETCH(bool, shuffled);
    QTemporaryDir dir;
    const QString hex = Convert(dir.path(), "Appl.h86", offset, format);
    QVERIFY(!hex.isEmpty());
    if (shuffled)
        QVERIFY(Shuffle(hex));
    // The same bytes an S-record file of the binary gives (tst_cli programs those).
    QVERIFY(Program(hex) == ImageOf(SampleBytes(kSource), offset));
}

QTEST_GUILESS_MAIN(tst_intel_hex)
#include "tst_intel_hex.moc"
