// The Qt player decodes a real MP3, made here from a generated tone with lame.
#include "QtClipPlayer.h"
#include "ToneWav.h"

#include <QTemporaryDir>
#include <QTest>

namespace {
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
        if (lameProgram().isEmpty())
            QSKIP("lame is not installed (scripts/setup installs it): no MP3 fixture");
        QTemporaryDir folder;
        const QString mp3 = realClip ? toneMp3(folder.path()) : folder.filePath("tone.mp3");
        QVERIFY(!mp3.isEmpty());
        if (!realClip)
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
