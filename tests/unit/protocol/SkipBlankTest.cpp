#include "support/HexLine.h"
#include "ProtocolFixture.h"

#include "protocol/BlankRecords.h"
#include "protocol/ProgrammingRun.h"

namespace {

// A record on the wire as "S1 1000": its type and target address.
QString Describe(const QByteArray& wire)
{
    const int addressBytes = SRecordAddressBytes(wire.at(1));
    return QString::fromLatin1(wire.left(2)) + ' ' + QString::fromLatin1(wire.mid(3, addressBytes).toHex().toUpper());
}

// Records progress events as the observer sees them, on top of the window's view.
struct ProgressLog : WindowAndEnds {
    using WindowAndEnds::WindowAndEnds;
    void onProgress(const ProgressEvent& event) override
    {
        events.append(event);
        WindowAndEnds::onProgress(event);
    }
    QList<ProgressEvent> events;
};

}  // namespace

class SkipBlankTest : public ProtocolTest {
protected:
    ProgressLog log{report};
    Target skipping{port, log, pump, profile};
};

TEST_F(SkipBlankTest, OnlyDataRecordsOfErasedBytesStayOffTheLine)
{
    const QByteArray ff4(4, '\xFF');
    struct Case {
        const char* name;
        const char* file;
        QByteArray content;
        QStringList sent;     // without skipping
        QStringList skipped;  // the records skipping leaves off
    };
    const Case cases[] = {
        {"S-records: header, terminator and an address without data go out",
         "Appl.sre",
         QList<QByteArray>{SLine('0', "FFFF", "\xFF\xFF"), SLine('1', "1000", Bytes({1, 2})), SLine('1', "1002", ff4),
                           SLine('1', "FFFF", ""), SLine('2', "012000", ff4), SLine('3', "00013000", Bytes({0xFF, 0xFE})),
                           SLine('5', "0005", ""), SLine('9', "FFFF", "")}
                 .join("\r\n"),
         {"S0 FFFF", "S1 1000", "S1 1002", "S1 FFFF", "S2 012000", "S3 00013000", "S5 0005", "S9 FFFF"},
         {"S1 1002", "S2 012000"}},
        {"binary: 64-byte chunks, the erased ones skipped",
         "Appl.bin",
         QByteArray(64, '\xFF') + QByteArray(64, '\x5A') + QByteArray(64, '\xFF') + QByteArray(10, '\xFF'),
         {"S3 00000000", "S3 00000040", "S3 00000080", "S3 000000C0"},
         {"S3 00000000", "S3 00000080", "S3 000000C0"}},
        {"binary: one byte not erased keeps its chunk",
         "Appl.bin",
         QByteArray(63, '\xFF') + '\x00',
         {"S3 00000000"},
         {}},
        {"Intel HEX: erased data records skipped",
         "Appl.hex",
         HexLine(0, 0x0000, QByteArray(16, '\xFF')) + "\n" + HexLine(0, 0x0040, Bytes({1, 2, 3, 4})) + "\n"
             + HexLine(0, 0x0080, ff4) + "\n" + HexLine(1, 0, {}) + "\n",
         {"S3 00000000", "S3 00000040", "S3 00000080"},
         {"S3 00000000", "S3 00000080"}},
    };
    acknowledgeEveryWrite();
    for (const Case& c : cases) {
        writeFile(c.file, c.content);
        profile.C167ApplFile = c.file;
        const ApplicationLoad load = LoadApplicationImage(profile, profiles::CpuFlashMemory);
        ASSERT_TRUE(load.image) << c.name << ": " << load.fault.text.toStdString();
        for (BlankRecords blank : {BlankRecords::Send, BlankRecords::Skip}) {
            port.clearWrites();
            log.events.clear();
            log.ends.clear();
            EXPECT_EQ(SendApplication(skipping, *load.image, profiles::CpuFlashMemory, blank), Outcome::Done) << c.name;
            QStringList expected = c.sent;
            if (blank == BlankRecords::Skip) {
                for (const QString& record : c.skipped)
                    expected.removeOne(record);
            }
            QStringList sent;
            for (const QByteArray& wire : port.writes())
                sent << Describe(wire);
            EXPECT_EQ(sent, expected) << c.name;

            // Every record advances the progress, a skipped one saying so, up to 100%.
            QStringList flagged;
            int records = 0;
            for (const ProgressEvent& event : log.events) {
                if (event.record == 0)
                    continue;  // the closing update
                EXPECT_EQ(event.record, ++records) << c.name;
                if (event.skipped)
                    flagged << Describe(load.image->records[event.record - 1].wire);
            }
            EXPECT_EQ(records, c.sent.size()) << c.name;
            EXPECT_EQ(log.events.last().percent, 100) << c.name;
            EXPECT_EQ(flagged, blank == BlankRecords::Skip ? c.skipped : QStringList()) << c.name;
            ASSERT_EQ(log.ends.size(), 1);
            EXPECT_EQ(log.ends[0].skippedRecords, flagged.size()) << c.name;
            EXPECT_EQ(log.ends[0].acknowledgedRecords, c.sent.size()) << c.name;
        }
    }
}
