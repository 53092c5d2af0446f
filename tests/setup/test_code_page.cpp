// Typed text on its way to the unit, and "PRJ.cfg", in the PC's code page: lengths are bytes.
#include "LocationPlan.h"
#include "ProjectPointerFile.h"
#include "SetupRig.h"
#include "SetupRunner.h"

#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using PerCodePage = QMap<int, QByteArray>; // code page -> bytes; empty: refused; no entry: not this page's row
Q_DECLARE_METATYPE(PerCodePage)

namespace {

constexpr int Latin1 = 28591; // what stands in for the code page off Windows
constexpr int WesternEurope = 1252;
constexpr int SimplifiedChinese = 936;

int activeCodePage()
{
#ifdef Q_OS_WIN
    return int(GetACP());
#else
    return Latin1;
#endif
}

// The row's bytes for the code page this run has, or a skip.
#define FETCH_FOR_CODE_PAGE(bytes)                                                                                     \
    QFETCH(PerCodePage, perCodePage);                                                                                  \
    if (!perCodePage.contains(activeCodePage()))                                                                       \
        QSKIP("not a row for this code page");                                                                         \
    const QByteArray bytes = perCodePage.value(activeCodePage())

} // namespace

class CodePageTest : public QObject {
    Q_OBJECT

private slots:
    // A run given the code page it was set up for must have it: Wine takes it from LC_ALL.
    void initTestCase()
    {
        const QByteArray expected = qgetenv("ZOR_EXPECTED_CODE_PAGE");
        if (!expected.isEmpty())
            QCOMPARE(activeCodePage(), expected.toInt());
    }

    void locationOnTheWire_data();
    void locationOnTheWire();
    void projectPointer_data();
    void projectPointer();
};

void CodePageTest::locationOnTheWire_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<PerCodePage>("perCodePage");

    const QString thirtyOneAcutes(31, QChar(0xE9));
    QTest::newRow("Café 7") << "Café 7"
                            << PerCodePage{{Latin1, "Caf\xE9 7"}, {WesternEurope, "Caf\xE9 7"},
                                           {SimplifiedChinese, "Caf\xA8\xA6 7"}};
    QTest::newRow("31 letters é") << thirtyOneAcutes
                                  << PerCodePage{{Latin1, QByteArray(31, '\xE9')}, {WesternEurope, QByteArray(31, '\xE9')},
                                                 {SimplifiedChinese, {}}};
    QTest::newRow("euro sign") << "€ 5" << PerCodePage{{WesternEurope, "\x80 5"}, {SimplifiedChinese, "\x80 5"}};
    QTest::newRow("Chinese") << "Hall 音" << PerCodePage{{SimplifiedChinese, "Hall \xD2\xF4"}};
}

// Written through the setup runner to a simulated unit, then read back as the monitor shows it.
void CodePageTest::locationOnTheWire()
{
    QFETCH(QString, location);
    FETCH_FOR_CODE_PAGE(wire);

    const SetupResult result = planLocation(location);
    if (wire.isEmpty()) {
        QVERIFY(!result.accepted());
        QVERIFY(result.error->text.contains("Location string must less then 31 chars."));
        return;
    }
    QVERIFY(result.accepted());
    SetupRig rig;
    rig.dialogs.expectMessageBox(result.plan.confirmation->text, "Confirm", Dialogs::YesNoQuestion, Dialogs::Yes);
    rig.dialogs.expectMessageBox(result.plan.completion->text, "Information", Dialogs::Information);
    QCOMPARE(SetupRunner(rig.session.transfer, rig.dialogs).apply(result).outcome, SetupOutcome::Done);
    QTRY_COMPARE(rig.unit().file(FileArea::Flash, "/local/locate.cfg").value_or(QByteArray()), wire);

    rig.unit().restart(); // the unit takes a new location at its next start
    QCOMPARE(rig.link.requestDeviceInformation().outcome, ExchangeOutcome::Answered);
    QCOMPARE(rig.view.locationText, "Locate: " + location);
}

void CodePageTest::projectPointer_data()
{
    QTest::addColumn<QString>("dir");
    QTest::addColumn<PerCodePage>("perCodePage");

    const QByteArray utf8Marked = "\xEF\xBB\xBF" "D:\\Alarm\\\xE9\x9F\xB3\\\r\n";
    QTest::newRow("accented folder") << "D:\\Alarm\\café\\"
                                     << PerCodePage{{Latin1, "D:\\Alarm\\caf\xE9\\\r\n"},
                                                    {WesternEurope, "D:\\Alarm\\caf\xE9\\\r\n"},
                                                    {SimplifiedChinese, "D:\\Alarm\\caf\xA8\xA6\\\r\n"}};
    QTest::newRow("Chinese folder") << "D:\\Alarm\\音\\"
                                    << PerCodePage{{Latin1, utf8Marked}, {WesternEurope, utf8Marked},
                                                   {SimplifiedChinese, "D:\\Alarm\\\xD2\xF4\\\r\n"}};
}

// In the code page where it holds the folder, else UTF-8 with its mark; read back the same.
void CodePageTest::projectPointer()
{
    QFETCH(QString, dir);
    FETCH_FOR_CODE_PAGE(bytes);
    QCOMPARE(projectPointerBytes(dir), bytes);
    QCOMPARE(parseProjectPointer(bytes), dir);
}

QTEST_GUILESS_MAIN(CodePageTest)
#include "test_code_page.moc"
