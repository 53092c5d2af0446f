// File dialogs are asked for in the unit tool's notation and shown in Qt's.
#include "FileFilter.h"

#include <QTest>

class FileFilterTest : public QObject {
    Q_OBJECT
private slots:
    void nameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("qt");
        QTest::newRow("firmware") << "bin|*.bin" << "bin (*.bin)";
        QTest::newRow("two filters") << "MP3 File|*.mp3|All|*.*" << "MP3 File (*.mp3);;All (*.*)";
        QTest::newRow("several patterns") << "Audio|*.mp3;*.wav" << "Audio (*.mp3 *.wav)";
        QTest::newRow("already Qt's form") << "MP3 File (*.mp3)" << "MP3 File (*.mp3)";
    }
    void nameFilters()
    {
        QFETCH(QString, filter);
        QTEST(qtNameFilters(filter), "qt");
    }

    void defaultSuffix_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("star dot") << "*.bin" << "bin";
        QTest::newRow("dot") << ".mp3" << "mp3";
        QTest::newRow("bare") << "mp3" << "mp3";
    }
    void defaultSuffix()
    {
        QFETCH(QString, extension);
        QTEST(qtDefaultSuffix(extension), "suffix");
    }
};

QTEST_GUILESS_MAIN(FileFilterTest)
#include "FileFilterTest.moc"
