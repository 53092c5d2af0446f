// The simulated unit's answers pinned as bytes, so a change to the shared protocol constants
// or to the simulator cannot pass unnoticed.
#include "SimulatorThread.h"

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
};

QTEST_GUILESS_MAIN(SimulatorAnswersTest)
#include "SimulatorAnswersTest.moc"
