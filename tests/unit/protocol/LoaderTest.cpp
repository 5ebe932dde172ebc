#include "ProtocolFixture.h"

class LoaderTest : public ProtocolTest {
protected:
    void SetUp() override
    {
        ProtocolTest::SetUp();
        writeFile("PreLoad.bin", preLoader);
        for (const char* name : {"LoaderC167.sre", "LoaderC168.sre", "Amd.sre"})
            writeFile(name, goodLoader());
        profile.AMD29F0x0LoaderFile = "Amd.sre";
    }

    // Data at both ends of both images, a blank line, an overwrite and an S3 line.
    static QByteArray goodLoader()
    {
        return SLine('0', "0000", "LDR") + "\r\n" + SLine('1', "F600", Bytes({1, 2, 3})) + "\r\n"
            + SLine('1', "F9FF", Bytes({4})) + "\r\n\r\n" + SLine('2', "00E000", Bytes({5, 6})) + "\n"
            + SLine('1', "E7FF", Bytes({7})) + "\r" + SLine('1', "F601", Bytes({0x22})) + "\r\n"
            + SLine('3', "0000F700", Bytes({0x99, 0x99})) + "\r\nS9030000FC\r\n";
    }

    // The image for F600h..F9FFh, then the one for E000h..E7FFh; unused bytes FFh.
    static QByteArray expectedImages()
    {
        QByteArray images(3072, '\xFF');
        images.replace(0, 3, Bytes({1, 0x22, 3})).replace(1024, 2, Bytes({5, 6}));
        images[1023] = 4;
        images[3071] = 7;
        return images;
    }

    const QByteArray preLoader = Bytes({0x00, 0x0D, 0x0A, 0xFF, 0x1A}) + QByteArray(27, '\x5A');  // sent as is
};

TEST_F(LoaderTest, SendsPreLoaderOrReloadCommandThenBothImagesOfTheLoaderForMemoryAndProcessor)
{
    // Exactly "ST10F168" selects the C168 loader; any other spelling the C167 one.
    for (auto [mode, memory, code, loader] :
         {std::tuple{LoaderStart::FirstLoad, profiles::CpuFlashMemory, "C167", "C167: Sending Loader LoaderC167.sre"},
          {LoaderStart::Reload, profiles::ExternalFlashMemory, "C167", "AMD29F0x0: Sending Loader Amd.sre"},
          {LoaderStart::Reload, profiles::CpuFlashMemory, "ST10F168", "C168: Sending Loader LoaderC168.sre"},
          {LoaderStart::Reload, profiles::CpuFlashMemory, "st10f168", "C167: Sending Loader LoaderC167.sre"}}) {
        const QByteArray head = mode == LoaderStart::FirstLoad ? preLoader : Bytes({0x53, 0x52, 0x01, 0xFE});
        profile.ProcessorCode = code;
        port.clearWrites();
        report = RecordingReporter();
        port.queueReceived("!");  // stale: dropped before anything is sent
        simulateTarget(head.size() + 3072);
        EXPECT_EQ(SendLoader(target, memory, mode), Outcome::Done);
        EXPECT_EQ(port.writes().size(), 1 + 3072);  // the head, then one write per image byte
        EXPECT_EQ(port.allWritten(), head + expectedImages());
        EXPECT_TRUE(report.events.isEmpty());
        const QString part = QString(loader) + " Part %1 ...";
        EXPECT_EQ(report.statusHistory,
                  QStringList({mode == LoaderStart::FirstLoad ? "Sending PreLoader PreLoad.bin ..." : "Sending ReLoader ...",
                               part.arg(1), part.arg(2), part.arg(2) + ", Done"}));
    }
}

TEST_F(LoaderTest, AddressesOutsideTheImagesStopBeforeAnythingIsSent)
{
    for (auto [line, address] : {std::pair{SLine('1', "F9FF", Bytes({4, 5})), "FA00"},
                                 {SLine('1', "E800", Bytes({4})), "E800"},
                                 {SLine('2', "01F600", Bytes({4})), "1F600"}}) {
        writeFile("LoaderC167.sre", SLine('0', "0000", "") + "\r\n" + line + "\r\n");
        report = RecordingReporter();
        EXPECT_EQ(SendLoader(target, profiles::CpuFlashMemory, LoaderStart::FirstLoad), Outcome::BadInput);
        EXPECT_EQ(report.events.join('|'), QString("Address %1 out of range in LoaderC167.sre, line 2").arg(address));
        EXPECT_EQ(report.boxes.value(0).icon, MessageIcon::None);
        EXPECT_TRUE(report.statusText().endsWith(QLatin1String(", Error")));
    }
    EXPECT_TRUE(port.writes().isEmpty());
}

// The chip stores exactly 32 bytes and jumps there: one more spills into the loader image,
// one fewer takes the loader's first byte. Neither file may cost the board its zero byte.
TEST_F(LoaderTest, APreLoaderOfOtherThan32BytesIsRefusedBeforeTheZeroByte)
{
    for (int size : {0, 31, 33}) {
        SCOPED_TRACE(size);
        writeFile("PreLoad.bin", preLoader.left(size) + QByteArray(std::max(0, size - 32), '\x5A'));
        simulateTarget(1 + 32 + 3072, Bytes({0xC5, 0x00}));
        EXPECT_EQ(IdentifyTarget(target, profiles::CpuFlashMemory), Outcome::BadInput);
        EXPECT_EQ(SendLoader(target, profiles::CpuFlashMemory, LoaderStart::FirstLoad), Outcome::BadInput);
        EXPECT_TRUE(port.writes().isEmpty());
        ASSERT_EQ(report.events.size(), 2);  // one box each, no not-responding box
        const QString sizeText = size == 0 ? QStringLiteral("the file is empty")
                                           : QStringLiteral("the file holds %1 bytes").arg(size);
        EXPECT_EQ(report.events.takeLast(), QStringLiteral("Cannot send PreLoad.bin: %1, and the bootstrap "
                                                           "loader takes exactly 32 bytes.").arg(sizeText));
        report.events.clear();
        EXPECT_EQ(report.statusText(), QStringLiteral("Sending PreLoader PreLoad.bin ..., Error"));
    }
    // A reload sends no pre-loader, so its size does not matter.
    simulateTarget(4 + 3072);
    EXPECT_EQ(SendLoader(target, profiles::CpuFlashMemory, LoaderStart::Reload), Outcome::Done);
}

TEST_F(LoaderTest, TheRightBootstrapByteBringsUpPreLoaderAndLoader)
{
    port.queueReceived("stale");
    for (auto [code, memory, reply, loader] :
         {std::tuple{"C167", profiles::CpuFlashMemory, 0xC5, "C167: Sending Loader LoaderC167"},
          {"ST10F168", profiles::ExternalFlashMemory, 0xD5, "AMD29F0x0: Sending Loader Amd"}}) {
        profile.ProcessorCode = code;
        port.clearWrites();
        simulateTarget(1 + 32 + 3072, Bytes({reply, 0x00}));
        EXPECT_EQ(IdentifyTarget(target, memory), Outcome::Done);
        EXPECT_EQ(port.allWritten(), '\0' + preLoader + expectedImages());
        EXPECT_EQ(report.statusText(), QLatin1String(loader) + QLatin1String(".sre Part 2 ..., Done"));
    }
    EXPECT_TRUE(report.events.isEmpty());
    // A silent loader does not change the answer: the chip was identified.
    simulateTarget(-1, Bytes({0xD5}));  // still an ST10F168
    EXPECT_EQ(IdentifyTarget(target, profiles::ExternalFlashMemory), Outcome::Done);
    EXPECT_EQ(report.statusText(), QStringLiteral("AMD29F0x0: Sending Loader Amd.sre Part 2 ..., Error"));
    EXPECT_EQ(report.events, QStringList{"<not responding>"});
}

TEST_F(LoaderTest, AWrongBootstrapByteSilenceOrAClosedPortIsNoIdentification)
{
    for (auto [code, reply, hex] : {std::tuple{"C167", 0xD5, "D5"}, {"ST10F168", 0xC5, "C5"}}) {
        profile.ProcessorCode = code;
        simulateTarget(1 + 32 + 3072, Bytes({reply}));
        EXPECT_EQ(IdentifyTarget(target, profiles::CpuFlashMemory), Outcome::WrongTarget);
        EXPECT_TRUE(report.events.last().startsWith(QStringLiteral("Communication Error %1 (").arg(hex)));
    }
    port.setResponder(nullptr);
    EXPECT_EQ(IdentifyTarget(target, profiles::CpuFlashMemory), Outcome::NoTarget);
    const int waits = pump.waits();
    port.setOpen(false);
    EXPECT_EQ(IdentifyTarget(target, profiles::CpuFlashMemory), Outcome::NoTarget);
    EXPECT_EQ(pump.waits(), waits);
    EXPECT_EQ(report.events.size(), 2);  // silence and a refused write show nothing
    EXPECT_EQ(port.writes(), QList<QByteArray>(3, QByteArray(1, '\0')));  // only the zero bytes went out
}
