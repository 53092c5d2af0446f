// The command channel against a simulated unit over real TCP.
#include "LinkRig.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <qpa/qwindowsysteminterface.h>
#include <QTimer>
#include <functional>

using LinkAction = std::function<void(DeviceLink &)>;
Q_DECLARE_METATYPE(LinkAction)

class ChannelTest : public QObject {
    Q_OBJECT
private slots:
    void requestBytes_data()
    {
        QTest::addColumn<LinkAction>("action");
        QTest::addColumn<QByteArray>("frame");
        auto row = [](const char *name, LinkAction action, const char *hex) {
            QTest::newRow(name) << action << QByteArray::fromHex(hex);
        };
        row("device information, exchange", [](DeviceLink &l) { l.requestDeviceInformation(); }, "5a3577a5210000");
        row("device information, queued", [](DeviceLink &l) { l.queueDeviceInformation(); l.sendPending(); }, "5a3577a521000000 00");
        row("status poll", [](DeviceLink &l) { l.pollStatus(); }, "5a3577a5d8");
        row("locator", [](DeviceLink &l) { l.queueLocator(); l.sendPending(); }, "5a3577a51d00000000");
        row("relay on", [](DeviceLink &l) { l.queueRelay(1, 1); l.sendPending(); }, "5a3577a5d001010000");
        row("volume 0", [](DeviceLink &l) { l.queueVolumeArming(0, 0, false); l.sendPending(); }, "5a3577a540e0000000");
        row("disarm at 7", [](DeviceLink &l) { l.queueVolumeArming(7, 0, true); l.sendPending(); }, "5a3577a540180700 01");
        row("arm at 10", [](DeviceLink &l) { l.queueVolumeArming(10, 1, true); l.sendPending(); }, "5a3577a540000a0101");
        row("firmware check", [](DeviceLink &l) { l.checkFirmwareImage(0x000493E0, true); }, "5a3577a525000493e0");
        row("firmware check, unrecognised", [](DeviceLink &l) { l.checkFirmwareImage(0x01020304, false); }, "5a3577a52601020304");
        row("restart", [](DeviceLink &l) { l.restartUnit(); }, "5a3577a52d");
        row("Wi-Fi mode AP", [](DeviceLink &l) { l.setWifiMode(WifiModeAccessPoint); }, "5a3577a53002");
        row("Wi-Fi mode station", [](DeviceLink &l) { l.setWifiMode(WifiModeStation); }, "5a3577a53000");
        row("web key of five", [](DeviceLink &l) { l.setWebKey("abcde"); }, "5a3577a5320561626364 65");
        row("stop playback", [](DeviceLink &l) { l.stopPlayback(); }, "5a3577a54203");
        row("configuration written", [](DeviceLink &l) { l.configurationWritten(); }, "5a3577a54500");
        row("reset configuration", [](DeviceLink &l) { l.resetConfiguration(); }, "5a3577a55e01");
        row("channel test start", [](DeviceLink &l) { l.channelTest(true, 5); }, "5a3577a570fa0105");
        row("channel test stop", [](DeviceLink &l) { l.channelTest(false, 5); }, "5a3577a570fa0000");
        row("Modbus written", [](DeviceLink &l) { l.modbusSettingsWritten(); }, "5a3577a5dc");
        row("play clip", [](DeviceLink &l) { l.playClip(7); }, "5a3577a5e007");
        row("SD write announcement", [](DeviceLink &l) { l.announceSdWrite("plist.cfg", 512); },
            "5a3577a55a00000200 00000000 000000 09 706c6973742e636667 000000000000");
        row("SD write with sum", [](DeviceLink &l) { l.announceSdWriteWithSum("001.mp3", 3, 0x126); },
            "5a3577a55a00000003 00000126 000000 07 3030312e6d7033 00000000000000000000000000000000");
        row("SD read", [](DeviceLink &l) { l.announceSdRead("m3fn.txt"); },
            "5a3577a55b00000000 00000000 000000 08 6d33666e2e747874 00000000000000");
        row("flash write, 60 bytes", [](DeviceLink &l) { l.announceFlashWrite("/local/locate.cfg", 4, 0x190); },
            "5a3577a55f00000004 00000190 000000 11 2f6c6f63616c2f6c6f636174652e636667"
            "0000000000000000000000000000000000000000000000000000");
        row("name cut by a 32-byte frame", [](DeviceLink &l) { l.announceSdRead("0123456789abcdefXYZ"); },
            "5a3577a55b00000000 00000000 000000 13 303132333435363738396162636465");
        row("delete flash file", [](DeviceLink &l) { l.requestFlashFileDelete("/local/ap_key.cfg"); },
            "5a3577a55d0000000000000000000000 11 2f6c6f63616c2f61705f6b65792e636667 000000000000");
        row("delete clip", [](DeviceLink &l) { l.requestSdClipDelete("001.mp3"); },
            "5a3577a5bf00000000 00000000 000000 07 3030312e6d7033 00000000");
    }
    void requestBytes()
    {
        QFETCH(LinkAction, action);
        LinkRig rig;
        action(rig.link);
        QFETCH(QByteArray, frame);
        QTRY_COMPARE(rig.lastFrame().toHex(), frame.toHex());
        QCOMPARE(rig.unit().receivedFrames().size(), 1);
    }

    void requestBufferPersists()
    {
        LinkRig rig;
        DeviceLink &link = rig.link;
        // A relay request after an arming change carries its P3 and P4.
        link.queueVolumeArming(7, 1, true);
        link.sendPending();
        link.queueRelay(1, 1);
        link.sendPending();
        QCOMPARE(rig.lastFrame().toHex(), QByteArray("5a3577a5d001010101"));
        // The locator sets no parameter: P1 to P4 as they stand.
        link.queueLocator();
        link.sendPending();
        QCOMPARE(rig.lastFrame().toHex(), QByteArray("5a3577a51d01010101"));
        // Deleting a flash file keeps bytes 5 to 15 of the request before it.
        link.announceFlashWrite("/local/x.cfg", 0x01020304, 0x0A0B0C0D);
        link.requestFlashFileDelete("/local/y");
        QCOMPARE(rig.lastFrame().mid(5, 11).toHex(), QByteArray("010203040a0b0c0d000000"));
        QCOMPARE(rig.lastFrame().size(), 40);
    }

    void clickDuringATransferWaitsForItsEnd()
    {
        LinkRig rig;
        QPushButton button; // a window's button that sends at once
        bool transferring = false;
        bool clickedWhileTransferring = true;
        QObject::connect(&button, &QPushButton::clicked, [&] {
            clickedWhileTransferring = transferring;
            rig.link.pollStatus();
        });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        // As the window system delivers a click: queued, then dispatched by the event loop.
        QTimer::singleShot(100, [&] {
            QWindow *window = button.windowHandle();
            const QPointF at(5, 5);
            QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                window, at, window->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, QEvent::MouseButtonPress);
            QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                window, at, window->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
        });
        // The click lands in the 400 ms pause between the announcement and its data phase.
        std::fill_n(rig.transfer.TransferBuffer.get(), 512, std::uint8_t(0x5A));
        transferring = true;
        QVERIFY(rig.transfer.WriteBufferToSd("plist.cfg", 512).ok());
        transferring = false;
        QCOMPARE(rig.unit().receivedFrames().size(), 1); // the announcement alone
        QTRY_COMPARE(rig.unit().file(FileArea::Sd, "plist.cfg").value_or(QByteArray()), QByteArray(512, 0x5A));
        QTRY_COMPARE(rig.unit().receivedFrames().size(), 2); // then the click's request
        QVERIFY(!clickedWhileTransferring);
        QCOMPARE(quint8(rig.unit().receivedFrames().last()[4]), quint8(0xD8));
    }

    void busyRefusesNestedRequests()
    {
        LinkRig rig;
        rig.withFaults([](UnitFaults &f) { f.noAnswer = true; });
        QList<ExchangeOutcome> nested;
        QTimer::singleShot(200, [&] {
            QVERIFY(rig.link.busy);
            nested << rig.link.pollStatus().outcome << rig.link.restartUnit().outcome;
        });
        QElapsedTimer clock;
        clock.start();
        rig.link.requestDeviceInformation();
        QVERIFY(!rig.link.busy);
        QVERIFY(clock.elapsed() >= 900); // about a second of waiting for the answer
        QCOMPARE(rig.unit().receivedFrames().size(), 1);
        QCOMPARE(nested, (QList<ExchangeOutcome>{ExchangeOutcome::Busy, ExchangeOutcome::Busy}));
        // A refused request leaves the code waited on alone; it stays, since no answer came.
        QCOMPARE(rig.link.expectedCode, codeOf(Command::DeviceInformation));
        QVERIFY(rig.view.status.isEmpty());
    }

    void answerInTwoPieces()
    {
        LinkRig rig;
        rig.withFaults([](UnitFaults &f) { f.splitAnswer = true; });
        rig.link.answer.fill(0xEE);
        rig.link.requestDeviceInformation();
        QCOMPARE(rig.link.answerLength, 10u);
        for (std::size_t i = 10; i < DeviceLink::ClearedAnswerBytes; ++i)
            QCOMPARE(rig.link.answer[i], 0);
        QCOMPARE(rig.link.answer[250], 0xEE);
        QCOMPARE(rig.link.answer[4095], 0xEE);
        // Model and a partial address arrived: shown, but not linked.
        QCOMPARE(rig.view.modelText, "ZOR-06-WF");
        QVERIFY(!rig.status.linked);
    }

    void connectFailureThenSuccess()
    {
        LinkRig rig;
        rig.withFaults([](UnitFaults &f) { f.refuseConnections = true; });
        rig.link.pollStatus();
        QCOMPARE(rig.view.status, "Connect Timeout");
        QCOMPARE(rig.link.expectedCode, 0);
        QVERIFY(!rig.link.busy);
        rig.withFaults([](UnitFaults &f) { f.refuseConnections = false; });
        rig.link.pollStatus();
        QVERIFY(rig.view.status.isEmpty());
        rig.link.requestDeviceInformation();
        QCOMPARE(rig.view.status, "Get Device Linked!!");
    }

    void unreachableAddressGivesUpAfterTheTimeout()
    {
        LinkRig rig;
        rig.timing.connectTimeoutMs = 300;
        rig.link.deviceAddress = "300.1.1.1"; // typed addresses are not range-tested: never a name lookup
        rig.link.pollStatus();
        QCOMPARE(rig.view.status, "Connect Timeout");
    }

    void deviceInformationFromTheUnit()
    {
        LinkRig rig;
        rig.unit().updateState([](UnitState &s) {
            s.mac = {0x00, 0x1A, 0xB2, 0xC3, 0xD4, 0xE5};
            s.settings.location = "Hall B";
            s.rssi = -60;
            s.volume = 9;
            s.armed = 1;
            s.inputBits = 0x05;
        });
        rig.link.requestDeviceInformation();
        QVERIFY(rig.status.linked);
        QCOMPARE(rig.view.modelText, "ZOR-06-WF");
        QCOMPARE(rig.view.locationText, "Locate: Hall B");
        QCOMPARE(rig.view.macText, "Dev MAC: 00:1A:B2:C3:D4:E5");
        QCOMPARE(rig.view.firmwareText, "FW: V01.20");
        QCOMPARE(rig.view.sdText, "SD Free:3.05/(7.45)GB");
        QCOMPARE(rig.view.rssiText, "RSSI: -60dBm");
        QCOMPARE(rig.view.volume, 9);
        QCOMPARE(rig.view.inputBits, 0x05);
        QVERIFY(rig.view.armed);
        QCOMPARE(rig.link.expectedCode, 0);
    }

    void faultyAnswers_data()
    {
        QTest::addColumn<UnitFaults>("faults");
        QTest::addColumn<QString>("statusLine");
        QTest::addColumn<bool>("linked");
        QTest::addColumn<int>("expectedAfter");
        QTest::addColumn<int>("queued");
        UnitFaults f;
        f.wrongMagic = true;
        QTest::newRow("wrong magic") << f << "InValid Header package!" << false << 33 << 0;
        f = {};
        f.negativeStatus = true;
        QTest::newRow("refused: asked again through the queue") << f << "" << false << 33 << 33;
        f = {};
        f.noAnswer = true;
        QTest::newRow("no answer: silent") << f << "" << false << 33 << 0;
        f = {};
        f.otherAddress = QHostAddress("127.0.0.99");
        QTest::newRow("another unit's address") << f << "Get Device Linked!!" << false << 0 << 0;
        f = {};
        f.oversizeAnswer = true;
        QTest::newRow("answer over 4096 bytes") << f << "Get Device Linked!!" << true << 0 << 0;
        f = {};
        f.neverRead = true;
        QTest::newRow("never reads: silent") << f << "" << false << 33 << 0;
        f = {};
        f.slowAnswer = true; // the first byte alone is read: no magic
        QTest::newRow("one byte at a time") << f << "InValid Header package!" << false << 33 << 0;
    }
    void faultyAnswers()
    {
        LinkRig rig;
        QFETCH(UnitFaults, faults);
        rig.sim.setFaults(faults);
        rig.link.requestDeviceInformation();
        QTEST(rig.view.status, "statusLine");
        QTEST(rig.status.linked, "linked");
        QTEST(int(rig.link.expectedCode), "expectedAfter");
        QTEST(int(rig.link.pending.code), "queued");
        QVERIFY(rig.link.answerLength <= DeviceLink::AnswerSize);
    }

    void connectionResetMidAnswer()
    {
        LinkRig rig;
        rig.withFaults([](UnitFaults &f) { f.resetMidAnswer = true; });
        // What arrived before the reset is the answer; half a device information links nothing.
        const ExchangeResult result = rig.link.requestDeviceInformation();
        QCOMPARE(result.outcome, ExchangeOutcome::Answered);
        QCOMPARE(result.decoded, Decoded::Incomplete);
        QCOMPARE(rig.link.answerLength, 128u);
        QVERIFY(!rig.link.busy);
        QVERIFY(!rig.status.linked);
        QVERIFY(rig.view.volume == 0 && rig.view.modelText.isEmpty());
    }

    void oversizeAnswerIsCut()
    {
        LinkRig rig;
        rig.withFaults([](UnitFaults &f) { f.oversizeAnswer = true; });
        rig.link.requestDeviceInformation();
        QCOMPARE(rig.link.answerLength, std::uint32_t(DeviceLink::AnswerSize));
    }

    void relayAndStatusThroughTheUnit()
    {
        LinkRig rig;
        rig.unit().updateState([](UnitState &s) { s.inputBits = 0x21; });
        rig.link.requestDeviceInformation();
        rig.link.queueRelay(1, 1);
        rig.link.sendPending();
        QCOMPARE(rig.view.status, "Set DO Done! DI:21");
        QCOMPARE(rig.unit().state().relayBits, 1);
        QCOMPARE(rig.view.relayBits, 1);

        rig.unit().updateState([](UnitState &s) { s.volume = 2; s.rssi = -71; });
        rig.link.pollStatus();
        QCOMPARE(rig.view.volume, 2);
        QCOMPARE(rig.view.rssiText, "RSSI: -71dBm");
        QCOMPARE(rig.link.expectedCode, 0);
    }
};

#include "ChannelTest.moc"

QTEST_MAIN(ChannelTest)
