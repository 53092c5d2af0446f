// Which files the editor takes as MP3 clips: real ones made by lame, and byte prefixes.
#include "Mp3Check.h"
#include "ToneWav.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {
// `count` frames of `length` bytes, each starting with `header`.
QByteArray frames(const QByteArray &header, qsizetype length, int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += header + QByteArray(length - header.size(), char(0x55));
    return bytes;
}

const QByteArray mpeg1Layer3 = QByteArray::fromHex("FFFB9000"); // 128 kbit/s, 44.1 kHz: 417-byte frames
const QByteArray mpeg2Layer3 = QByteArray::fromHex("FFF39000"); // 80 kbit/s, 22.05 kHz: 261-byte frames
const QByteArray mpeg1Layer2 = QByteArray::fromHex("FFFD9400"); // 160 kbit/s, 48 kHz: 480-byte frames

QByteArray randomBytes(qsizetype size)
{
    QRandomGenerator generator(19); // fixed: a row must fail or pass the same way every run
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}
} // namespace

class ClipCheckTest : public QObject {
    Q_OBJECT
private slots:
    void bytePrefixes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("why"); // in the refusal

        QTest::newRow("ID3v2.3 tag") << QByteArray("ID3\x03\x00\x00\x00\x00\x02\x01", 10) + randomBytes(500) << true << "";
        QTest::newRow("ID3 with a size byte of eight bits")
            << QByteArray("ID3\x03\x00\x00\x00\x80\x02\x01", 10) + randomBytes(500) << false << "neither an ID3 tag";
        QTest::newRow("MPEG 1 layer III") << frames(mpeg1Layer3, 417, 3) << true << "";
        QTest::newRow("MPEG 2 layer III") << frames(mpeg2Layer3, 261, 3) << true << "";
        QTest::newRow("MPEG 1 layer II") << frames(mpeg1Layer2, 480, 3) << true << "";
        QTest::newRow("frames after 600 bytes of junk") << QByteArray(600, '\0') + frames(mpeg1Layer3, 417, 3) << true << "";
        QTest::newRow("one whole frame") << frames(mpeg1Layer3, 417, 1) << true << "";
        QTest::newRow("frame then ID3v1 tag") << frames(mpeg1Layer3, 417, 1) + "TAG" + QByteArray(125, ' ') << true << "";
        QTest::newRow("frames begin after 4 KiB") << QByteArray(4100, '\0') + frames(mpeg1Layer3, 417, 3) << false << "";
        QTest::newRow("sync-like bytes without a second frame")
            << mpeg1Layer3 + QByteArray(2000, char(0x55)) << false << "MPEG audio frame";
        QTest::newRow("frame cut off") << frames(mpeg1Layer3, 417, 1).left(300) << false << "";
        QTest::newRow("second frame of another rate")
            << frames(mpeg1Layer3, 417, 1) + QByteArray::fromHex("FFFB9400") + QByteArray(1000, char(0x55)) << false << "";
        QTest::newRow("reserved version") << frames(QByteArray::fromHex("FFEB9000"), 417, 3) << false << "";
        QTest::newRow("reserved layer") << frames(QByteArray::fromHex("FFF99000"), 417, 3) << false << "";
        QTest::newRow("bit rate 1111") << frames(QByteArray::fromHex("FFFBF000"), 417, 3) << false << "";
        QTest::newRow("free format") << frames(QByteArray::fromHex("FFFB0000"), 417, 3) << false << "";
        QTest::newRow("all FF") << QByteArray(3000, char(0xFF)) << false << "";
        QTest::newRow("WAV") << toneWav() << false << "it is a WAV file";
        QTest::newRow("empty") << QByteArray() << false << "it is empty";
        QTest::newRow("random bytes") << randomBytes(8192) << false << "";
        QTest::newRow("text") << QByteArray("This is text, not an MP3 clip.\n") << false << "";
    }
    void bytePrefixes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, taken);
        QFETCH(QString, why);
        QCOMPARE(looksLikeMp3(bytes.left(mp3ProbeSize)), taken);
        const QString refusal = notMp3Reason(bytes.left(mp3ProbeSize), "gas.wav");
        QCOMPARE(refusal.isEmpty(), taken);
        if (!taken)
            QVERIFY2(refusal.startsWith("gas.wav is not an MP3 file: ") && refusal.contains(why), qPrintable(refusal));
    }

    void clipsMadeByLame_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("22.05 kHz, as it comes") << QStringList{};
        QTest::newRow("44.1 kHz, 320 kbit/s") << QStringList{"--resample", "44.1", "-b", "320"};
        QTest::newRow("8 kHz, MPEG 2.5") << QStringList{"--resample", "8", "-b", "8"};
        QTest::newRow("with an ID3v2 tag") << QStringList{"--tt", "door bell", "--add-id3v2"};
    }
    void clipsMadeByLame()
    {
        QFETCH(QStringList, options);
        if (lameProgram().isEmpty())
            QSKIP("lame is not installed (scripts/setup installs it): no MP3 fixture");
        QTemporaryDir folder;
        const QString mp3 = toneMp3(folder.path(), options);
        QVERIFY(!mp3.isEmpty());
        QFile clip(mp3);
        QVERIFY(clip.open(QIODevice::ReadOnly));
        const QByteArray head = clip.read(mp3ProbeSize);
        QVERIFY2(looksLikeMp3(head), head.left(16).toHex(' ').constData());
        QVERIFY(!looksLikeMp3(toneWav().left(mp3ProbeSize)));
    }
};

QTEST_GUILESS_MAIN(ClipCheckTest)
#include "test_clip_check.moc"
