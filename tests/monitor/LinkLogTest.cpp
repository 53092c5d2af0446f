#include "LinkLogTest.h"

#include "LinkLog.h"
#include "LinkLogCapture.h"
#include "LogViewer.h"
#include "ScriptedDialogs.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QDate>
#include <QSaveFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

// What reached the handler that was in place before the capture: what stderr would print.
QStringList passedOn;

void recordPassedOn(QtMsgType, const QMessageLogContext &, const QString &message)
{
    passedOn.append(message);
}

QString unique(const char *text)
{
    static int count = 0;
    return QStringLiteral("%1 #%2").arg(QLatin1String(text)).arg(++count);
}

bool captured(const QString &message)
{
    const QStringList lines = LinkLogCapture::instance().lines();
    return !lines.isEmpty() && lines.last().endsWith(u' ' + message);
}

} // namespace

void LinkLogTest::initTestCase()
{
    qInstallMessageHandler(recordPassedOn);
    LinkLogCapture::instance();
}

void LinkLogTest::cleanup()
{
    QLoggingCategory::setFilterRules(QString());
    passedOn.clear();
}

void LinkLogTest::stderrGetsWhatTheRulesLetThrough_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("linkCategory");
    QTest::addColumn<bool>("expectPassedOn");

    QTest::newRow("info, default rules") << "" << int(QtInfoMsg) << true << false;
    QTest::newRow("debug, default rules") << "" << int(QtDebugMsg) << true << false;
    QTest::newRow("warning, default rules") << "" << int(QtWarningMsg) << true << true;
    QTest::newRow("info shown by rule") << "zor.link.info=true" << int(QtInfoMsg) << true << true;
    QTest::newRow("debug still hidden") << "zor.link.info=true" << int(QtDebugMsg) << true << false;
    QTest::newRow("debug shown by rule") << "zor.link.debug=true" << int(QtDebugMsg) << true << true;
    QTest::newRow("warning hidden by rule") << "zor.link.warning=false" << int(QtWarningMsg) << true << false;
    QTest::newRow("another category untouched") << "" << int(QtWarningMsg) << false << true;
    QTest::newRow("another category's rule") << "zor.link.debug=true\ndefault.warning=false" << int(QtWarningMsg) << false << false;
}

void LinkLogTest::stderrGetsWhatTheRulesLetThrough()
{
    QFETCH(QString, rules);
    QFETCH(int, type);
    QFETCH(bool, linkCategory);
    QFETCH(bool, expectPassedOn);

    QLoggingCategory::setFilterRules(rules);
    const QString message = unique("message");
    if (linkCategory) {
        if (type == QtDebugMsg)
            qCDebug(zorLink).noquote() << message;
        else if (type == QtInfoMsg)
            qCInfo(zorLink).noquote() << message;
        else
            qCWarning(zorLink).noquote() << message;
    } else {
        qWarning().noquote() << message;
    }

    QCOMPARE(passedOn.contains(message), expectPassedOn);
    QCOMPARE(captured(message), linkCategory); // every level of the link, nothing else
}

void LinkLogTest::keepsOnlyTheLatestLines()
{
    for (int i = 0; i < LinkLogCapture::Capacity + 5; ++i)
        qCInfo(zorLink).noquote() << "bulk" << i;
    const QStringList lines = LinkLogCapture::instance().lines();
    QCOMPARE(lines.size(), LinkLogCapture::Capacity);
    QVERIFY(lines.first().endsWith(" bulk 5"));
    QVERIFY(lines.last().endsWith(QStringLiteral(" bulk %1").arg(LinkLogCapture::Capacity + 4)));

    qCDebug(zorLink).noquote() << QString(3 * 4096, u'f');
    QCOMPARE(LinkLogCapture::instance().lines().last().size(), LinkLogCapture::LineLimit);
}

void LinkLogTest::viewerFiltersAndFollows()
{
    const QString before = unique("before the viewer");
    qCInfo(zorLink).noquote() << before;
    ScriptedDialogs dialogs;
    LogViewer viewer(LinkLogCapture::instance(), dialogs);
    viewer.show();
    QVERIFY(viewer.shownLines().last().endsWith(before));

    auto *filter = viewer.findChild<QLineEdit *>("LogFilter");
    filter->setText("ALPHA");
    for (int i = 0; i < 200; ++i)
        qCInfo(zorLink).noquote() << (i % 2 ? "alpha" : "beta") << i;
    QCOMPARE(viewer.shownLines().size(), 100);
    QVERIFY(viewer.shownLines().last().endsWith("alpha 199"));

    QScrollBar *bar = viewer.findChild<QPlainTextEdit *>("LogLines")->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    viewer.findChild<QCheckBox *>("LogFollow")->setChecked(false);
    bar->setValue(0);
    qCInfo(zorLink) << "alpha, not followed";
    QCOMPARE(bar->value(), 0);
    viewer.findChild<QCheckBox *>("LogFollow")->setChecked(true);
    QCOMPARE(bar->value(), bar->maximum());

    filter->clear();
    QCOMPARE(viewer.shownLines(), LinkLogCapture::instance().lines());
}

void LinkLogTest::viewerSavesWhatItShows()
{
    QTemporaryDir folder;
    ScriptedDialogs dialogs;
    LogViewer viewer(LinkLogCapture::instance(), dialogs);
    viewer.findChild<QLineEdit *>("LogFilter")->setText("saved");
    qCInfo(zorLink) << "saved line";
    const QString path = folder.filePath("link.log");
    viewer.chooseSavePath = [&] { return path; };
    viewer.save();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString saved = QString::fromUtf8(file.readAll());
    QCOMPARE(saved, viewer.shownLines().join('\n') + '\n');
    // Read days later, each line says on which day it was written.
    QVERIFY2(saved.startsWith(QDate::currentDate().toString(Qt::ISODate) + ' '), qPrintable(saved));

    const QString unwritable = folder.filePath("no such folder/link.log");
    QSaveFile probe(unwritable);
    QVERIFY(!probe.open(QIODevice::WriteOnly));
    dialogs.expectMessageBox("Cannot save the log to " + unwritable + ": " + probe.errorString(), "Link log", Dialogs::Error);
    viewer.chooseSavePath = [&] { return unwritable; };
    viewer.save();
    QVERIFY(dialogs.pending().isEmpty());

    viewer.chooseSavePath = [] { return QString(); }; // cancelled: nothing written, nothing said
    viewer.save();
    QCOMPARE(dialogs.shownBoxes.size(), 1);
}

QTEST_MAIN(LinkLogTest)
