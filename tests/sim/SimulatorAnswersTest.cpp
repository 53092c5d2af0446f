// The simulated unit's answers pinned as bytes, so a change to the shared protocol constants
// or to the simulator cannot pass unnoticed.
#include "FaultNames.h"
#include "SimulatorThread.h"

#include <QProcess>
#include <QTemporaryDir>

#include <QTcpSocket>
#include <QTest>

namespace {
QByteArray exchange(const QHostAddress &address, const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(address, DevicePort);
    if (!socket.waitForConnected(2000))
        return "no connection";
    socket.write(request);
    QByteArray answer;
    while (socket.waitForReadyRead(300))
        answer += socket.readAll();
    return answer;
}
} // namespace

Q_DECLARE_METATYPE(UnitFaults)

class SimulatorAnswersTest : public QObject {
    Q_OBJECT
private slots:
    void answers_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("from");
        QTest::addColumn<QByteArray>("answer"); // hex of the answer from byte `from` on, or of its first bytes
        QTest::newRow("status poll") << QByteArray("5a3577a5d8") << 0 << QByteArray("5a3577a5d80600 00ffc4000400");
        QTest::newRow("locator") << QByteArray("5a3577a51d00000000") << 0 << QByteArray("5a3577a51d06");
        QTest::newRow("relay on") << QByteArray("5a3577a5d001010000") << 0 << QByteArray("5a3577a5d0060100");
        QTest::newRow("volume 7") << QByteArray("5a3577a540180700 00") << 0 << QByteArray("5a3577a54006");
        QTest::newRow("unknown code refused") << QByteArray("5a3577a57b") << 0 << QByteArray("5a3577a57b15");
        QTest::newRow("read of a missing file refused")
            << QByteArray("5a3577a55b" + QByteArray(22, '0') + "09" + QByteArray("plist.cfg").toHex() + QByteArray(12, '0'))
            << 0 << QByteArray("5a3577a55b15");
        QTest::newRow("device information: head") << QByteArray("5a3577a5210000") << 0
                                                  << QByteArray("5a3577a52106bd7f000801");
        QTest::newRow("device information: SD and firmware") << QByteArray("5a3577a5210000") << 17
                                                             << QByteArray("01072d0305 0000 0120");
        QTest::newRow("device information: Modbus, Wi-Fi, volume")
            << QByteArray("5a3577a5210000") << 176 << QByteArray("02 0000 01f6 00 000000000000000000000000 ffc4 00 04 00");
    }
    void answers()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, from);
        QFETCH(QByteArray, answer);
        const QHostAddress address(QStringLiteral("127.0.8.1"));
        SimulatorThread sim;
        QVERIFY(sim.start(address));
        const QByteArray expected = QByteArray::fromHex(answer);
        QCOMPARE(exchange(address, QByteArray::fromHex(request)).mid(from, expected.size()).toHex(' '), expected.toHex(' '));
    }

    void keptUploadsAreBounded_data()
    {
        QTest::addColumn<int>("uploads");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("kept");
        QTest::newRow("by count") << 100 << 10 << int(SimulatedUnit::KeptUploads);
        QTest::newRow("by bytes") << 6 << 10 * 1024 * 1024 << 3;
        QTest::newRow("one larger than the cap is still kept") << 2 << 40 * 1024 * 1024 << 1;
    }
    void keptUploadsAreBounded()
    {
        QFETCH(int, uploads);
        QFETCH(int, size);
        SimulatedUnit unit(QHostAddress("127.0.3.250"));
        for (int i = 0; i < uploads; ++i)
            unit.finishUpload({.name = QString::number(i), .length = quint32(size)}, QByteArray(size, 'x'));
        const QList<ReceivedData> kept = unit.receivedData();
        QTEST(int(kept.size()), "kept");
        QCOMPARE(kept.last().name, QString::number(uploads - 1)); // the newest
    }

    void faultNames_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("known");
        QTest::addColumn<UnitFaults>("faults");
        UnitFaults f;
        QTest::newRow("empty clears") << "" << true << f;
        f.stallDataPhase = f.noAnswer = true;
        QTest::newRow("two") << "stall-data no-answer" << true << f;
        f = {};
        f.otherAddress = QHostAddress("127.0.0.9");
        QTest::newRow("other address") << "other-address=127.0.0.9" << true << f;
        QTest::newRow("unknown keeps the old") << "no-answer typo" << false << UnitFaults{.slowAnswer = true};
        QTest::newRow("bad address") << "other-address=x" << false << UnitFaults{.slowAnswer = true};
    }
    void faultNames()
    {
        QFETCH(QString, text);
        UnitFaults faults{.slowAnswer = true};
        QString unknown;
        QTEST(faultsFromNames(text.split(' ', Qt::SkipEmptyParts), faults, unknown), "known");
        QTEST(faults, "faults");
    }

    // zorsim follows its control file while running.
    void controlFileSwitchesFaults()
    {
#ifdef Q_OS_WIN
        QSKIP("fails under Wine 8: the test passes, then its exit waits past 250 s on the killed zorsim");
#endif
        QTemporaryDir dir;
        const QString control = dir.filePath("faults");
        QProcess sim;
        sim.start(ZORSIM_PATH, {"--address", "127.0.3.251", "--quiet", "--control-file", control});
        QVERIFY(sim.waitForStarted());
        auto connects = [] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress("127.0.3.251"), DevicePort);
            return socket.waitForConnected(500);
        };
        auto write = [&control](const QByteArray &text) {
            QFile file(control);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        };
        QTRY_VERIFY(connects());
        write("refuse-connections\n");
        QTRY_VERIFY_WITH_TIMEOUT(!connects(), 3000);
        write("");
        QTRY_VERIFY_WITH_TIMEOUT(connects(), 3000);
        sim.kill(); // a console program on Windows takes no terminate()
        QVERIFY(sim.waitForFinished());
    }

};

QTEST_GUILESS_MAIN(SimulatorAnswersTest)
#include "SimulatorAnswersTest.moc"
