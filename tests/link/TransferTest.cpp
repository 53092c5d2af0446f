// Whole files to and from the simulated unit, and the firmware update.
#include "FirmwareUpdate.h"
#include "LinkRig.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtEndian>

namespace {
// The count a read reports: bytes received, 0 when refused, -1 when the data stopped.
int readCount(const TransferResult &result)
{
    switch (result.outcome) {
    case TransferOutcome::Done:
        return int(result.bytes);
    case TransferOutcome::TimedOut:
        return -1;
    default:
        return 0;
    }
}

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + i / 251);
    return bytes;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    QFile file(dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return file.fileName();
}

// Pauses and the read time-out shortened; the real values run in the tests marked so.
void quick(Timing &t)
{
    t.sdWritePauseMs = t.readPauseMs = t.flashWritePauseMs = 20;
    t.firmwarePauseMs = t.firmwareSdPauseMs = t.firmwareCheckPauseMs = 20;
    t.readDataWaits = 30;
}
} // namespace

class TransferTest : public QObject {
    Q_OBJECT
private slots:
    void announcedName_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("announced");
        QTest::newRow("short") << "001.mp3" << QByteArray("001.mp3");
        QTest::newRow("long") << "LongClipName.mp3" << QByteArray("LongCli~.mp3");
        QTest::newRow("dots in a long base") << "VeryLongName.old.mp3" << QByteArray("VeryLon~.mp3");
        QTest::newRow("dot among the first seven") << "Fire.Alarm1.mp3" << QByteArray("Fire_Al~.mp3");
        QTest::newRow("dots in a short base") << "A.B.C.mp3" << QByteArray("A.B.C.mp3");
        QTest::newRow("short extension") << "LongClipName.a" << QByteArray("LongCli~.a\0\0", 12);
        QTest::newRow("long extension") << "LongClipName.mpeg3" << QByteArray("LongCli~.mpe");
        QTest::newRow("no extension") << "LongClipName" << QByteArray("LongCli~\0\0\0\0", 12);
        // One byte per character, in the PC's single-byte code page, never a UTF-16 unit's low byte.
        QTest::newRow("accented") << QString::fromUtf8("Sirène.mp3") << QByteArray("Sir\xe8ne.mp3");
        QTest::newRow("outside the code page") << QString::fromUtf8("警报警报警报警报警.mp3") << QByteArray("???????~.mp3");
    }
    void announcedName()
    {
        QFETCH(QString, fileName);
        QTEST(FileTransfer::announcedName(fileName), "announced");
    }

    void bufferToSdWithRealPauses()
    {
        LinkRig rig;
        const QByteArray table = pattern(512);
        std::copy(table.begin(), table.end(), rig.transfer.TransferBuffer.get());
        rig.transfer.WriteBufferToSd("plist.cfg", 512);
        QTRY_COMPARE(rig.unit().file(FileArea::Sd, "plist.cfg").value_or(QByteArray()), table);
        QCOMPARE(rig.sdGauge.maximum, 512);
        QCOMPARE(rig.sdGauge.progress, QList<int>{512});
        QVERIFY(rig.view.log.contains("Transfer Length => 512"));

        const std::int32_t received = readCount(rig.transfer.ReadSdFile("plist.cfg"));
        QCOMPARE(received, 512);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(rig.transfer.ReceiveBuffer.get()), 512), table);
        QVERIFY(rig.view.log.contains("Read SD to Buffer Len:512"));
        QVERIFY(!rig.link.transferActive);
    }

    void fileToSd_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("gaugeMaximum");
        QTest::addColumn<QList<int>>("progress");
        QTest::addColumn<QByteArray>("sum");
        QTest::newRow("empty") << 0 << 0 << QList<int>{} << QByteArray("00000000");
        QTest::newRow("one chunk exactly") << 1024 << 0 << QList<int>{1024} << QByteArray("0001fe32");
        QTest::newRow("one byte more") << 1025 << 1 << QList<int>{1024, 1025} << QByteArray("0001fe36");
        QTest::newRow("three bytes") << 3 << 3 << QList<int>{3} << QByteArray("00000126");
    }
    void fileToSd()
    {
        QFETCH(int, size);
        LinkRig rig;
        quick(rig.timing);
        QTemporaryDir dir;
        const QByteArray content = size == 3 ? QByteArray("abc") : pattern(size);
        const QString path = writeFile(dir, "LongClipName.mp3", content);
        QVERIFY(rig.transfer.WriteFileToSd(path).ok());
        QTRY_COMPARE(rig.unit().file(FileArea::Sd, "LongCli~.mp3").value_or(QByteArray("missing")), content);
        const QByteArray frame = rig.lastFrame();
        QCOMPARE(frame.size(), 40);
        QCOMPARE(frame.mid(5, 4).toHex(), QByteArray::number(size, 16).rightJustified(8, '0'));
        QTEST(frame.mid(9, 4).toHex(), "sum");
        QTEST(rig.sdGauge.maximum, "gaugeMaximum");
        QTEST(rig.sdGauge.progress, "progress");
        QCOMPARE(rig.view.status, "LongClipName.mp3");
    }

    void fileToSdRefusals()
    {
        LinkRig rig;
        quick(rig.timing);
        QTemporaryDir dir;
        QVERIFY(!rig.transfer.WriteFileToSd(dir.filePath("missing.mp3")).ok());
        QCOMPARE(rig.transfer.lastTransferError, "File Open error !!");

        QFile big(dir.filePath("big.mp3"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(FileTransfer::BufferSize + 1));
        big.close();
        QVERIFY(!rig.transfer.WriteFileToSd(big.fileName()).ok());
        QCOMPARE(rig.transfer.lastTransferError, "File Size > Buffer Size 13MB !!");
        QVERIFY(rig.unit().receivedFrames().isEmpty());

        rig.withFaults([](UnitFaults &f) { f.negativeStatus = true; });
        QVERIFY(!rig.transfer.WriteFileToSd(writeFile(dir, "001.mp3", "x")).ok());
        QCOMPARE(rig.transfer.lastTransferError, "Target error !!");
        QVERIFY(rig.unit().receivedData().isEmpty());

        rig.transfer.WriteBufferToSd("m3fn.txt", 10);
        QVERIFY(rig.view.log.contains("Send Buffer to SD[m3fn.txt]Fail!!!"));
    }

    void largestFileIsAccepted()
    {
        LinkRig rig;
        quick(rig.timing);
        QTemporaryDir dir;
        const QByteArray content = pattern(int(FileTransfer::BufferSize));
        QVERIFY(rig.transfer.WriteFileToSd(writeFile(dir, "big.mp3", content)).ok());
        QTRY_COMPARE(rig.unit().file(FileArea::Sd, "big.mp3").value_or(QByteArray()).size(), content.size());
        QCOMPARE(rig.unit().file(FileArea::Sd, "big.mp3").value(), content);
        QCOMPARE(rig.sdGauge.progress.size(), int(FileTransfer::BufferSize / FileTransfer::ChunkSize));
    }

    // A read takes exactly the announced length, whatever the unit sends and however it splits it.
    void reads_data()
    {
        QTest::addColumn<UnitFaults>("faults");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("deadlineBaseMs");
        QTest::addColumn<TransferOutcome>("outcome");
        QTest::addColumn<int>("bytes"); // -1: as many as came in time
        QTest::addColumn<AnswerVerdict>("announcement");
        QTest::addColumn<QString>("logLine"); // empty: nothing beyond the length
        const auto ack = AnswerVerdict::Acknowledged;
        const auto with = [](bool UnitFaults::*flag, bool UnitFaults::*also = nullptr) {
            UnitFaults f;
            f.*flag = true;
            if (also)
                f.*also = true;
            return f;
        };
        using T = TransferOutcome;
        const QString timeout = "Wait RX Timeout!";
        QTest::newRow("whole") << UnitFaults{} << "m3fn.txt" << 30000 << T::Done << 3000 << ack << "";
        QTest::newRow("missing: refused") << UnitFaults{} << "nothing.txt" << 30000 << T::Refused << 0
                                          << AnswerVerdict::Refused << "";
        QTest::newRow("empty file") << UnitFaults{} << "empty.txt" << 30000 << T::Done << 0 << ack << "";
        QTest::newRow("split") << with(&UnitFaults::splitData) << "m3fn.txt" << 30000 << T::Done << 3000 << ack << "";
        QTest::newRow("longer, one piece") << with(&UnitFaults::longerRead) << "m3fn.txt" << 30000 << T::Done << 3000
                                           << ack << "Read SD: 100 bytes beyond the announced length dropped";
        QTest::newRow("longer, split") << with(&UnitFaults::longerRead, &UnitFaults::splitData) << "m3fn.txt" << 30000
                                       << T::Done << 3000 << ack
                                       << "Read SD: 100 bytes beyond the announced length dropped";
        QTest::newRow("trickled") << with(&UnitFaults::trickleData) << "short.txt" << 30000 << T::Done << 12 << ack << "";
        QTest::newRow("trickled past the deadline") << with(&UnitFaults::trickleData) << "m3fn.txt" << 300
                                                    << T::TimedOut << -1 << ack << timeout;
        QTest::newRow("shorter: closed") << with(&UnitFaults::cutDataPhase) << "m3fn.txt" << 30000 << T::Failed << 1500
                                         << ack << "Read SD: the data connection closed after 1500 bytes";
        QTest::newRow("stalled") << with(&UnitFaults::stallDataPhase) << "m3fn.txt" << 30000 << T::TimedOut << 0 << ack
                                 << timeout;
        QTest::newRow("huge length") << with(&UnitFaults::hugeReadLength) << "m3fn.txt" << 30000 << T::Failed << 0
                                     << ack
                                     << "Read SD: the announced length 4294967295 is more than the receive buffer "
                                        "holds; nothing read";
        QTest::newRow("mis-echoed announcement") << with(&UnitFaults::misEcho) << "m3fn.txt" << 30000 << T::Refused << 0
                                                 << AnswerVerdict::NotConfirmed << "";
    }
    void reads()
    {
        QFETCH(QString, name);
        LinkRig rig;
        quick(rig.timing);
        QFETCH(int, deadlineBaseMs);
        rig.timing.readDeadlineBaseMs = deadlineBaseMs;
        const QByteArray content = pattern(3000);
        rig.unit().setFile(FileArea::Sd, "m3fn.txt", content);
        rig.unit().setFile(FileArea::Sd, "short.txt", content.left(12));
        rig.unit().setFile(FileArea::Sd, "empty.txt", {});
        std::fill_n(rig.transfer.ReceiveBuffer.get(), 4096, std::uint8_t(0xA5));
        QFETCH(UnitFaults, faults);
        rig.sim.setFaults(faults);
        QElapsedTimer clock;
        clock.start();
        const TransferResult result = rig.transfer.ReadSdFile(name.toLatin1());
        QTEST(result.outcome, "outcome");
        QTEST(result.announcement.verdict(), "announcement");
        QFETCH(int, bytes);
        if (bytes >= 0)
            QCOMPARE(result.bytes, bytes);
        QVERIFY(clock.elapsed() < 5000);
        const auto *received = reinterpret_cast<const char *>(rig.transfer.ReceiveBuffer.get());
        QCOMPARE(QByteArray(received, result.bytes), content.left(result.bytes));
        QCOMPARE(std::uint8_t(received[result.bytes]), std::uint8_t(0xA5)); // nothing stored beyond
        QFETCH(QString, logLine);
        QVERIFY2(logLine.isEmpty() ? !rig.view.log.join('|').contains("Read SD: ") && !rig.view.log.contains("Wait RX Timeout!")
                                   : rig.view.log.contains(logLine),
                 qPrintable(rig.view.log.join('|')));
        QVERIFY(result.ok() || !result.error.isEmpty());
        QVERIFY(!rig.link.transferActive);
    }

    void writeFaults_data()
    {
        QTest::addColumn<UnitFaults>("faults");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("error");
        UnitFaults f;
        f.refuseDataConnection = true;
        QTest::newRow("data connection refused") << f << int(TransferOutcome::Failed) << "Data connection to ";
        f = {};
        f.negativeStatus = true;
        QTest::newRow("announcement refused") << f << int(TransferOutcome::Refused) << "plist.cfg";
        f = {};
        f.noAnswer = true;
        QTest::newRow("announcement unanswered") << f << int(TransferOutcome::Refused) << "plist.cfg";
        f = {};
        f.refuseConnections = true;
        QTest::newRow("unit unreachable") << f << int(TransferOutcome::Failed) << "plist.cfg";
    }
    void writeFaults()
    {
        LinkRig rig;
        quick(rig.timing);
        rig.timing.connectTimeoutMs = 300;
        QFETCH(UnitFaults, faults);
        rig.sim.setFaults(faults);
        const TransferResult result = rig.transfer.WriteBufferToSd("plist.cfg", 512);
        QTEST(int(result.outcome), "outcome");
        QFETCH(QString, error);
        QVERIFY2(result.error.startsWith(error), qPrintable(result.error));
        QVERIFY(!rig.unit().file(FileArea::Sd, "plist.cfg"));
        QVERIFY(!rig.link.transferActive);
    }

    void readWithRealTimeout()
    {
        LinkRig rig;
        rig.unit().setFile(FileArea::Sd, "m3fn.txt", pattern(100));
        rig.withFaults([](UnitFaults &f) { f.stallDataPhase = true; });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(readCount(rig.transfer.ReadSdFile("m3fn.txt")), -1);
        QVERIFY(clock.elapsed() >= 10000);
    }

    void flashFileShowsAfterRestart()
    {
        LinkRig rig;
        const QByteArray location = "Gate 4";
        std::copy(location.begin(), location.end(), rig.transfer.TransferBuffer.get());
        rig.transfer.WriteBufferToFlash("/local/locate.cfg", std::uint32_t(location.size()));
        QTRY_COMPARE(rig.unit().file(FileArea::Flash, "/local/locate.cfg").value_or(QByteArray()), location);
        QCOMPARE(rig.view.status, "Transfer Length => 6");
        QCOMPARE(rig.view.statusHistory.first(), "Send FileName: /local/locate.cfg");
        QCOMPARE(rig.flashGauge.maximum, 6);

        rig.link.requestDeviceInformation();
        QCOMPARE(rig.view.locationText, "Locate: ");
        rig.link.restartUnit();
        QTRY_COMPARE(rig.unit().state().rebootCount, 1);
        rig.link.requestDeviceInformation();
        QCOMPARE(rig.view.locationText, "Locate: Gate 4");

        rig.transfer.DeleteFlashFile("/local/locate.cfg");
        QCOMPARE(rig.view.status, "Kill file in Flash Done!");
        QVERIFY(!rig.unit().file(FileArea::Flash, "/local/locate.cfg"));
    }

    void deleteClipLogsTheFrame()
    {
        LinkRig rig;
        rig.unit().setFile(FileArea::Sd, "003.mp3", "x");
        rig.transfer.DeleteSdClip("003.mp3");
        QTRY_VERIFY(!rig.unit().file(FileArea::Sd, "003.mp3"));
        QCOMPARE(rig.view.log.first(), "003.mp3");
        QCOMPARE(rig.view.log.at(1), "0 : BF");
        QCOMPARE(rig.view.log.at(13), "12 : 07");
        QCOMPARE(rig.view.log.last(), "23 : 00");
    }

    void dataConnectionRefusedIsAnError()
    {
        LinkRig rig;
        quick(rig.timing);
        QTemporaryDir dir;
        const QString path = writeFile(dir, "fw.bin", pattern(2000));
        rig.withFaults([](UnitFaults &f) { f.refuseConnections = true; });
        const FirmwareResult result = SendFirmwareImage(rig.transfer, LoadFirmwareImage(rig.transfer, path));
        QCOMPARE(result.outcome, FirmwareOutcome::Failed);
        QVERIFY(result.error.startsWith("Data connection to "));
        QCOMPARE(rig.view.statusHistory.at(2), "Connect Timeout"); // the announcement
        QVERIFY(!rig.link.transferActive);
    }

    void firmwareUpdate_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("realPauses");
        QTest::newRow("recognised, real pauses") << int(ModelZor06) << true;
        QTest::newRow("unrecognised") << 77 << false;
    }
    void firmwareUpdate()
    {
        QFETCH(int, model);
        LinkRig rig;
        QFETCH(bool, realPauses);
        if (!realPauses)
            quick(rig.timing);
        rig.unit().updateState([model](UnitState &s) { s.model = std::uint8_t(model); });
        rig.link.requestDeviceInformation();
        QTemporaryDir dir;
        const QByteArray image = pattern(300000);
        const QString path = writeFile(dir, "fw.bin", image);
        const bool recognised = model == ModelZor06;
        const QString done = "F/W update Complete! Reboot to take effect";
        if (recognised)
            rig.dialogs.expectMessageBox(done, done, Dialogs::Plain);
        rig.unit().clearReceivedFrames();
        const FirmwareResult result = SendFirmwareImage(rig.transfer, LoadFirmwareImage(rig.transfer, path));
        QCOMPARE(result.outcome, recognised ? FirmwareOutcome::Verified : FirmwareOutcome::Unconfirmed);

        QTRY_COMPARE(rig.unit().receivedFrames().size(), 2); // the closing 38 is not answered
        const auto frames = rig.unit().receivedFrames();
        QCOMPARE(frames[0].size(), 40);
        QCOMPARE(frames[0].mid(4, 5).toHex(), recognised ? QByteArray("5f000493e0") : QByteArray("5a000493e0"));
        QCOMPARE(frames[0].mid(16, 1 + (recognised ? 15 : 10)),
                 recognised ? QByteArray("\x0f/sys/mcuimg.bin") : QByteArray("\x0amcuimg.bin"));
        QCOMPARE(quint8(frames[1][4]), recognised ? 37 : 38);
        QCOMPARE(frames[1].size(), 9);
        const QString name = recognised ? "/sys/mcuimg.bin" : "mcuimg.bin";
        QCOMPARE(rig.unit().file(recognised ? FileArea::Flash : FileArea::Sd, name).value_or(QByteArray()), image);
        QCOMPARE(rig.flashGauge.maximum, 298976);
        QCOMPARE(rig.flashGauge.progress.first(), 0);
        QCOMPARE(rig.flashGauge.progress.last(), 299008);
        QVERIFY2(rig.view.statusHistory.contains("Send MCUImg CheckSum => 0247A04A"), qPrintable(rig.view.statusHistory.join("|")));
        if (recognised)
            QCOMPARE(rig.view.status, done);
        else
            QCOMPARE(rig.view.status, "F/W image sent, not confirmed: the model was not recognised"); // no box
    }

    // Only an image of 1 to 2 MiB bytes is sent; the refusals send nothing.
    void firmwareImageSize_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<FirmwareOutcome>("refusal");
        QTest::addColumn<QString>("status");
        QTest::newRow("empty") << qint64(0) << false << FirmwareOutcome::Empty << "MCUImg FileLength => 0";
        QTest::newRow("one byte") << qint64(1) << true << FirmwareOutcome::Failed << "Send MCUImg CheckSum => 00000078";
        QTest::newRow("the limit") << qint64(2 * 1048576) << true << FirmwareOutcome::Failed
                                   << "Send MCUImg CheckSum => 0F000000";
        QTest::newRow("one byte over") << qint64(2 * 1048576 + 1) << false << FirmwareOutcome::TooLarge
                                       << "File Lengths > Buffer Size, Abort!";
    }
    void firmwareImageSize()
    {
        QFETCH(qint64, size);
        LinkRig rig;
        QTemporaryDir dir;
        const QString path = writeFile(dir, "fw.bin", QByteArray(size, 'x'));
        const FirmwareImage image = LoadFirmwareImage(rig.transfer, path);
        QTEST(image.ready(), "ready");
        if (!image.ready()) {
            QTEST(image.refusal, "refusal");
            QCOMPARE(SendFirmwareImage(rig.transfer, image).outcome, image.refusal);
        }
        QTEST(rig.view.status, "status");
        QVERIFY(rig.unit().receivedFrames().isEmpty());
    }
};

#include "TransferTest.moc"

QTEST_MAIN(TransferTest)
