// The Qt player decodes a real MP3, made here from a generated tone with lame.
#include "QtClipPlayer.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cmath>

namespace {
// Half a second of a 440 Hz sine, 16-bit mono, 22050 Hz.
QByteArray toneWav()
{
    constexpr int rate = 22050, samples = rate / 2;
    QByteArray data(samples * 2, '\0');
    for (int i = 0; i < samples; ++i)
        qToLittleEndian<qint16>(qint16(8000 * std::sin(2 * M_PI * 440 * i / rate)), data.data() + 2 * i);
    QByteArray header("RIFF....WAVEfmt ");
    auto put32 = [&header](quint32 v) { char b[4]; qToLittleEndian(v, b); header.append(b, 4); };
    auto put16 = [&header](quint16 v) { char b[2]; qToLittleEndian(v, b); header.append(b, 2); };
    put32(16); put16(1); put16(1); put32(rate); put32(rate * 2); put16(2); put16(16);
    header.append("data");
    put32(quint32(data.size()));
    qToLittleEndian<quint32>(quint32(header.size() - 8 + data.size()), header.data() + 4);
    return header + data;
}

bool writeText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("This is text, not an MP3 clip.\n") > 0;
}
} // namespace

class ClipPlayerTest : public QObject {
    Q_OBJECT
private slots:
    void nothingIsLoadedBeforeTheFirstPlay()
    {
        QtClipPlayer player;
        player.stop();
        QCOMPARE(player.mediaStatus(), QMediaPlayer::NoMedia);
        QFile maps(QStringLiteral("/proc/self/maps"));
        if (!maps.open(QIODevice::ReadOnly))
            QSKIP("no /proc here");
        QVERIFY(!maps.readAll().contains("gst"));
    }

    void decodesAnMp3_data()
    {
        QTest::addColumn<bool>("realClip");
        QTest::newRow("tone made by lame") << true;
        QTest::newRow("not an MP3") << false;
    }
    void decodesAnMp3()
    {
        QFETCH(bool, realClip);
        const QString lame = QStandardPaths::findExecutable(QStringLiteral("lame"));
        if (lame.isEmpty())
            QSKIP("lame is not installed (scripts/setup installs it): no MP3 fixture");
        QTemporaryDir folder;
        const QString wav = folder.filePath("tone.wav"), mp3 = folder.filePath("tone.mp3");
        QFile file(wav);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(toneWav()) > 0);
        file.close();
        if (realClip)
            QCOMPARE(QProcess::execute(lame, {"--quiet", wav, mp3}), 0);
        else
            QVERIFY(writeText(mp3)); // text, not audio

        QtClipPlayer player;
        QStringList failed;
        player.onFailed = [&failed](const QString &path) { failed << path; };
        player.play(mp3);
        if (realClip) {
            QTRY_VERIFY_WITH_TIMEOUT(player.mediaStatus() == QMediaPlayer::BufferedMedia
                                         || player.mediaStatus() == QMediaPlayer::EndOfMedia, 10000);
            QVERIFY2(failed.isEmpty(), qPrintable(failed.join('\n')));
        } else {
            // The back end reports a bad file more than once; the user hears of it once.
            QTRY_VERIFY_WITH_TIMEOUT(!failed.isEmpty(), 10000);
            QTest::qWait(500);
            QCOMPARE(failed, QStringList{mp3});
        }
        player.stop();
    }
};

QTEST_MAIN(ClipPlayerTest)
#include "test_clip_player.moc"
