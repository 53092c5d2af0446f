// The answer dispatcher fed straight from the answer buffer: byte layouts and texts.
#include "LinkDoubles.h"
#include "UnitTexts.h"

#include <QTest>

namespace {
using Bytes = QList<QPair<int, int>>; // offset, value

struct Rig : LinkDoubles {

    // A device-information answer for the link's address with the given bytes on top.
    void answer(Command code, std::uint8_t statusByte, const Bytes &bytes)
    {
        link.answer.fill(0);
        std::copy(FrameMagic.begin(), FrameMagic.end(), link.answer.begin());
        link.answer[4] = codeOf(code);
        link.answer[5] = statusByte;
        for (auto [offset, value] : bytes)
            link.answer[offset] = std::uint8_t(value);
    }
    void deviceInformation(const Bytes &bytes)
    {
        link.deviceAddress = "127.0.0.9";
        Bytes all{{6, ModelZor06}, {7, 127}, {8, 0}, {9, 0}, {10, 9}};
        all += bytes;
        answer(Command::DeviceInformation, AckStatus, all);
        link.expectedCode = codeOf(Command::DeviceInformation);
        dispatch(250);
    }
    // As the channel does: dispatch, then tell the monitor window's presenter.
    ExchangeResult dispatch(std::uint32_t length)
    {
        ExchangeResult result{.command = Command(link.expectedCode), .outcome = ExchangeOutcome::Answered,
                              .echo = link.answer[4], .status = link.answer[5]};
        const DeviceLink::Dispatch dispatched = link.DispatchAnswer(length);
        result.decoded = dispatched.decoded;
        result.rssiReported = dispatched.rssiReported;
        presenter.exchanged(result);
        return result;
    }
};
} // namespace

class DispatchTest : public QObject {
    Q_OBJECT
private slots:
    void sdAndFirmwareTexts_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QString>("sd");
        QTest::addColumn<QString>("firmware");
        QTest::newRow("hundredths below ten") << Bytes{{17, 1}, {20, 3}, {21, 5}, {18, 7}, {19, 45}, {24, 1}, {25, 0x20}}
                                             << "SD Free:3.05/(7.45)GB" << "FW: V01.20";
        QTest::newRow("zero hundredths") << Bytes{{17, 1}, {20, 12}, {21, 0}, {18, 29}, {19, 10}, {24, 0xAB}, {25, 3}}
                                         << "SD Free:12.00/(29.10)GB" << "FW: VAB.03";
        QTest::newRow("no card") << Bytes{{17, 0}, {20, 3}} << "SD : N/A" << "FW: V00.00";
    }
    void sdAndFirmwareTexts()
    {
        QFETCH(Bytes, bytes);
        Rig rig;
        rig.deviceInformation(bytes);
        QTEST(rig.view.sdText, "sd");
        QTEST(rig.view.firmwareText, "firmware");
        QCOMPARE(rig.status.sdPresent, bytes.contains({17, 1}));
    }

    void rssi_data()
    {
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::addColumn<QString>("label");
        QTest::newRow("-60") << 0xFF << 0xC4 << "RSSI: -60dBm";
        QTest::newRow("-1") << 0xFF << 0xFF << "RSSI: -1dBm";
        QTest::newRow("zero leaves the label") << 0 << 0 << "unchanged";
    }
    void rssi()
    {
        QFETCH(int, high);
        QFETCH(int, low);
        Rig rig;
        rig.view.rssiText = "unchanged";
        rig.link.expectedCode = codeOf(Command::StatusPoll);
        rig.answer(Command::StatusPoll, AckStatus, {{8, high}, {9, low}});
        rig.dispatch(13);
        QTEST(rig.view.rssiText, "label");
        QCOMPARE(rig.link.expectedCode, 0);

        Rig info;
        info.view.rssiText = "unchanged";
        info.deviceInformation({{194, high}, {195, low}});
        QTEST(info.view.rssiText, "label");
    }

    void deviceInformationFields()
    {
        Rig rig;
        QByteArray location(31, 'L'); // no terminator within 31 bytes: shown whole
        Bytes bytes{{11, 0x00}, {12, 0x1A}, {13, 0xB2}, {14, 0xC3}, {15, 0xD4}, {16, 0xE5},
                    {36, 0x01}, {37, 0x2C}, {112, 2}, {160, 0}, {176, 2}, {177, 0xFF}, {178, 0xFF},
                    {179, 0x01}, {180, 0xF6}, {181, 1}, {182, 10}, {185, 7}, {186, 255}, {190, 10}, {193, 1},
                    {196, 3}, {197, 9}, {198, 1}};
        for (int i = 0; i < 31; ++i)
            bytes << qMakePair(40 + i, int('L'));
        bytes << qMakePair(71, int('X')); // beyond the 31 bytes
        for (int i = 0; i < 20; ++i)
            bytes << qMakePair(113 + i, int('k')); // AP key longer than 14
        rig.status.stationKey = "kept";
        rig.deviceInformation(bytes);

        QVERIFY(rig.status.linked);
        QVERIFY(rig.status.statusValid);
        QCOMPARE(rig.view.modelText, "ZOR-06-WF");
        QCOMPARE(rig.view.modelColor, QColor(0, 0, 128));
        QCOMPARE(rig.view.status, "Get Device Linked!!");
        QCOMPARE(rig.view.macText, "Dev MAC: 00:1A:B2:C3:D4:E5");
        QCOMPARE(rig.view.locationText, "Locate: " + location);
        QCOMPARE(rig.view.locationColor, QColor(64, 132, 118));
        QCOMPARE(rig.status.location, location);
        QCOMPARE(rig.status.modbusIdleTimeout, 300);
        QCOMPARE(rig.status.modbusPort, 502);
        QCOMPARE(rig.status.apKey, QByteArray(14, 'k'));
        QCOMPARE(rig.status.stationKey, "kept"); // key type 0 keeps the previous key
        QCOMPARE(rig.status.wifiMode, 2);
        QVERIFY(rig.status.staticIpUsed);
        QCOMPARE(rig.status.staticIp, (std::array<std::uint8_t, 4>{10, 0, 0, 7}));
        QCOMPARE(rig.status.gateway, (std::array<std::uint8_t, 4>{10, 0, 0, 1}));
        QCOMPARE(rig.view.deviceModeText, "Device Mode: 3");
        QCOMPARE(rig.view.volume, 9);
        QVERIFY(rig.view.armed);
        // Masked by the six-input model: relay bit 0 and inputs 0x3F only.
        QCOMPARE(rig.view.relayBits, 1);
        QCOMPARE(rig.view.inputBits, 0x3F);
        QVERIFY(rig.view.log.contains("DEV_ID => BD"));
        QVERIFY(rig.view.log.contains("ARMED :1"));
    }

    // Text that reaches a window or a terminal: control characters and line-breaking or
    // reordering characters become escapes. Single-byte rows also come from the unit as its location.
    void visibleText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("visible");
        QTest::newRow("escape sequences") << "\x1b]0;owned\x07\x1b[2J" << "\\x1b]0;owned\\x07\\x1b[2J";
        QTest::newRow("cr lf tab nul") << QString::fromLatin1("a\rb\nc\td\0e", 9) << "a\\rb\\nc\\td\\x00e";
        QTest::newRow("del and C1") << "\x7f\u009b" "2J" << "\\x7f\\x9b2J";
        QTest::newRow("printable kept") << QString::fromUtf8("Salle été <b> C:\\x") << QString::fromUtf8("Salle été <b> C:\\x");
        QTest::newRow("line separator") << "a\u2028b\u2029c" << "a\\u2028b\\u2029c";
        QTest::newRow("direction override") << "abc\u202egpj.exe\u2066" << "abc\\u202egpj.exe\\u2066";
    }
    void visibleText()
    {
        QFETCH(QString, text);
        QTEST(UnitTexts::visibleText(text), "visible");
        const QByteArray bytes = text.toLatin1();
        if (QString::fromLatin1(bytes) != text || bytes.contains('\0'))
            return;
        Rig rig;
        Bytes location;
        for (int i = 0; i < bytes.size(); ++i)
            location << qMakePair(40 + i, int(std::uint8_t(bytes[i])));
        rig.deviceInformation(location);
        QFETCH(QString, visible);
#ifdef Q_OS_WIN
        // In code page 1252 the unit's byte 0x9b is a printable quotation mark, not a control.
        if (QByteArray(QTest::currentDataTag()) == "del and C1")
            visible = QString::fromUtf8("\\x7f\u203a2J");
#endif
        QCOMPARE(rig.view.locationText, "Locate: " + visible);
    }

    void unknownModelKeepsMasks_data()
    {
        QTest::addColumn<int>("earlierModel");
        QTest::addColumn<int>("inputs");
        QTest::newRow("never recognised: all off") << 0 << 0;
        QTest::newRow("four-input model before") << int(ModelZor04Rtu) << 0x0F;
    }
    void unknownModelKeepsMasks()
    {
        QFETCH(int, earlierModel);
        Rig rig;
        if (earlierModel)
            rig.deviceInformation({{6, earlierModel}});
        rig.view.calls.clear();
        rig.deviceInformation({{6, 77}, {177, 1}, {178, 0xFF}});
        QCOMPARE(rig.view.modelText, "Unknow Device??");
        QVERIFY(!rig.status.modelRecognised);
        QCOMPARE(rig.status.modelCode, 0);
        QCOMPARE(rig.view.count("enableForModel"), 0);
        QTEST(int(rig.view.inputBits), "inputs");
        QCOMPARE(rig.view.relayBits, earlierModel ? 1 : 0);
        QVERIFY(rig.view.log.contains("DEV_ID => 00"));
    }

    void otherAddressStopsAfterTheModel()
    {
        Rig rig;
        rig.deviceInformation({{10, 2}, {11, 0xAA}, {197, 9}});
        QCOMPARE(rig.view.modelText, "ZOR-06-WF");
        QCOMPARE(rig.view.status, "Get Device Linked!!");
        QCOMPARE(rig.status.inputMask, 0x3F);
        QVERIFY(!rig.status.linked);
        QVERIFY(rig.view.macText.isEmpty());
        QCOMPARE(rig.status.volume, 4);
        QCOMPARE(rig.view.log.last(), "DEV_ID => BD");
    }

    void perCodeEffects_data()
    {
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("echo");
        QTest::addColumn<int>("statusByte");
        QTest::addColumn<int>("expectedAfter");
        QTest::addColumn<QString>("statusLine");
        QTest::addColumn<int>("queued");
        QTest::newRow("locator ack") << 29 << 29 << 6 << 0 << "Set Locator done!" << 0;
        QTest::newRow("locator refused: queued again") << 29 << 29 << 0x15 << 29 << "" << 29;
        QTest::newRow("device info refused: queued again") << 33 << 33 << 0x15 << 33 << "" << 33;
        QTest::newRow("delete ack") << 93 << 93 << 6 << 0 << "Kill file in Flash Done!" << 0;
        QTest::newRow("delete refused") << 93 << 93 << 1 << 93 << "" << 0;
        QTest::newRow("reset ack") << 94 << 94 << 6 << 0 << "Flash Config been kill!" << 0;
        QTest::newRow("poll refused") << 216 << 216 << 0 << 216 << "" << 0;
        QTest::newRow("not interpreted") << 64 << 64 << 6 << 64 << "" << 0;
        QTest::newRow("firmware check with other echo") << 37 << 38 << 6 << 0 << "" << 0;
        QTest::newRow("file write echo 91") << 90 << 91 << 6 << 90 << "" << 0;
        QTest::newRow("file write ack") << 90 << 90 << 6 << 0 << "" << 0;
        QTest::newRow("file read ack") << 91 << 91 << 6 << 0 << "" << 0;
    }
    void perCodeEffects()
    {
        QFETCH(int, expected);
        QFETCH(int, echo);
        QFETCH(int, statusByte);
        Rig rig;
        rig.status.fileWriteAccepted = rig.status.fileReadAccepted = true;
        rig.link.expectedCode = std::uint8_t(expected);
        rig.answer(Command(echo), std::uint8_t(statusByte), {});
        rig.dispatch(16);
        QTEST(int(rig.link.expectedCode), "expectedAfter");
        QTEST(rig.view.status, "statusLine");
        QTEST(int(rig.link.pending.code), "queued");
        if (expected == 90)
            QCOMPARE(rig.status.fileWriteAccepted, echo == 90);
    }

    void relayAnswerShowsMaskedInputs()
    {
        Rig rig;
        rig.deviceInformation({{6, ModelZor04Rtu}});
        rig.link.expectedCode = codeOf(Command::Relay);
        rig.answer(Command::Relay, AckStatus, {{6, 0x03}, {7, 0x3A}});
        rig.dispatch(8);
        QCOMPARE(rig.view.status, "Set DO Done! DI:0A");
        QCOMPARE(rig.status.relayBits, 1);
        QCOMPARE(rig.view.inputBits, 0x0A);
        QCOMPARE(rig.link.expectedCode, 0);
    }

    void statusAnswerWithoutExpectation()
    {
        Rig rig;
        rig.deviceInformation({});
        rig.link.expectedCode = 0;
        rig.answer(Command::StatusPoll, AckStatus, {{6, 1}, {7, 0x05}, {11, 7}, {12, 0}});
        rig.dispatch(13);
        QCOMPARE(rig.view.volume, 7);
        QCOMPARE(rig.view.inputBits, 0x05);
        QVERIFY(!rig.view.armed);

        rig.answer(Command::Relay, AckStatus, {{7, 0x3F}});
        rig.dispatch(13); // only a status answer counts when nothing is expected
        QCOMPARE(rig.view.inputBits, 0x05);
    }

    void wrongMagicChangesNothing()
    {
        Rig rig;
        rig.link.expectedCode = codeOf(Command::DeviceInformation);
        rig.answer(Command::DeviceInformation, AckStatus, {{6, ModelZor06}});
        rig.link.answer[3] = 0xA4;
        rig.dispatch(250);
        QCOMPARE(rig.view.status, "InValid Header package!");
        QCOMPARE(rig.link.expectedCode, codeOf(Command::DeviceInformation));
        QVERIFY(rig.view.modelText.isEmpty());
    }

    void firmwareCheck_data()
    {
        QTest::addColumn<quint64>("imageSum");
        QTest::addColumn<quint32>("unitSum");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("flags");
        QTest::newRow("match") << quint64(0x12345678) << quint32(0x12345678)
                               << "F/W update Complete! Reboot to take effect" << int(Dialogs::Plain);
        QTest::newRow("differs") << quint64(0x12345678) << quint32(0x12345679)
                                 << "Update F/W fail with Error! Please retry again." << int(Dialogs::Error);
        QTest::newRow("upper half set") << quint64(0x100000000ULL + 5) << quint32(5)
                                        << "Update F/W fail with Error! Please retry again." << int(Dialogs::Error);
    }
    void firmwareCheck()
    {
        QFETCH(quint32, unitSum);
        QFETCH(QString, text);
        Rig rig;
        QFETCH(quint64, imageSum);
        rig.link.firmwareImageSum = imageSum;
        rig.link.expectedCode = codeOf(Command::FirmwareCheck);
        rig.answer(Command::FirmwareCheck, AckStatus,
                   {{6, int(unitSum >> 24)}, {7, int(unitSum >> 16 & 0xFF)}, {8, int(unitSum >> 8 & 0xFF)}, {9, int(unitSum & 0xFF)}});
        QFETCH(int, flags);
        rig.dialogs.expectMessageBox(text, text, flags);
        rig.dispatch(10);
        QCOMPARE(rig.view.status, text);
        QCOMPARE(rig.link.expectedCode, 0);
    }
};

#include "DispatchTest.moc"

QTEST_MAIN(DispatchTest)
