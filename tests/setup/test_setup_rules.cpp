#include "AddressLockOut.h"
#include "LocationPlan.h"
#include "ModbusRtuPlan.h"
#include "ModbusTcpPlan.h"
#include "StaticAddressPlan.h"
#include "Timing.h"
#include "UnitCommandPlans.h"
#include "WebKeyPlan.h"
#include "WifiCredentialsPlans.h"

#include <QTest>

using Lines = QStringList;

namespace {

QString hex(const QByteArray &bytes) { return bytes.toHex(' '); }

QString message(const QString &kind, const SetupMessage &box)
{
    return QString("%1 %2 %3: %4").arg(kind).arg(box.flags).arg(box.caption, box.text);
}

QString describe(const SetupStep &step)
{
    static const char *const actions[] = {"delete", "flash", "sd", "send", "send-no-reply", "firmware"};
    static const QHash<Command, QString> commands{{Command::WebKey, "web-key"},
                                                  {Command::WifiMode, "wifi-mode"},
                                                  {Command::ResetConfiguration, "reset"},
                                                  {Command::Restart, "restart"},
                                                  {Command::ModbusTcpWritten, "modbus-tcp"}};
    QString text = actions[int(step.action)];
    if (const int pause = pauseMs(step.pauseBefore, Timing{}))
        text = QString("pause %1 ").arg(pause) + text;
    if (step.action == SetupStep::Action::SendCommand || step.action == SetupStep::Action::SendCommandNoReply)
        text += " " + commands.value(step.command);
    if (!step.name.isEmpty())
        text += " " + step.name;
    if (!step.bytes.isEmpty())
        text += " " + hex(step.bytes);
    if (!step.logLine.isEmpty())
        text += " -> log " + step.logLine;
    return text;
}

// Everything a run would show, log and send, in order.
Lines describe(const SetupResult &result)
{
    Lines lines;
    for (const QString &line : result.log)
        lines << "log " + line;
    if (result.error)
        return lines << message("error", *result.error);
    const SetupPlan &plan = result.plan;
    if (plan.confirmation)
        lines << message("confirm", *plan.confirmation);
    if (!plan.checkLink)
        lines << "no link check";
    for (const QString &line : plan.setupLog)
        lines << "memo " + line;
    for (const SetupStep &step : plan.steps)
        lines << describe(step);
    if (plan.completion)
        lines << message("done", *plan.completion);
    return lines;
}

SetupResult unchecked(const SetupPlan &plan) { return {{}, {}, plan}; }
QString confirm(const QString &text) { return "confirm 36 Confirm: " + text; }
QString done(const QString &text) { return "done 64 Information: " + text; }
QString rebootDone(const QString &what) { return done(what + " complete,\n    . Manual Reboot to take effect!"); }
QString errorFound(const QString &text) { return "error 16 Error found!: " + text; }

} // namespace

class SetupRulesTest : public QObject {
    Q_OBJECT

private slots:
    void dottedAddress_data();
    void dottedAddress();
    void lockOutWarnings_data();
    void lockOutWarnings();
    void plans_data();
    void plans();
};

void SetupRulesTest::dottedAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("bytes"); // empty: refused

    QTest::newRow("plain") << "192.168.1.10" << "c0 a8 01 0a";
    QTest::newRow("broadcast is an address, not inet_addr's failure") << "255.255.255.255" << "ff ff ff ff";
    QTest::newRow("leading zeros read octal") << "0255.0.00.010" << "ad 00 00 08";
    QTest::newRow("many leading zeros") << "0000000000001.2.3.4" << "01 02 03 04";
    QTest::newRow("octal holding a 9: inet_addr refuses") << "192.168.1.09" << "";
    QTest::newRow("decimal limit before octal reading") << "0377.0.0.1" << "";
    for (const char *text : {"192.168.1", "1.2.3.4.5", "192.168.1.256", "99999999999999999999.1.1.1", "192.168..1",
                             "192.168.1.", ".168.1.1", "192.168.1.a", "0x7f.0.0.1", "192.168.1.1 ", "+1.2.3.4", ""})
        QTest::newRow(text) << text << "";
}

void SetupRulesTest::dottedAddress()
{
    QFETCH(QString, text);
    QFETCH(QString, bytes);

    const auto read = readDottedAddress(text);
    QCOMPARE(read.has_value(), !bytes.isEmpty());
    if (read)
        QCOMPARE(hex(QByteArray(reinterpret_cast<const char *>(read->data()), 4)), bytes);
}

void SetupRulesTest::lockOutWarnings_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<Lines>("warnings");

    QTest::newRow("sound") << "10.1.2.3" << "255.255.0.0" << "10.1.0.1" << Lines{};
    QTest::newRow("/31 pair has no network address") << "10.0.0.0" << "255.255.255.254" << "10.0.0.1" << Lines{};
    QTest::newRow("network address") << "192.168.1.0" << "255.255.255.0" << "192.168.1.1"
                                     << Lines{"IP 192.168.1.0 is the network address of its own network."};
    QTest::newRow("broadcast address") << "192.168.1.63" << "255.255.255.192" << "192.168.1.1"
                                       << Lines{"IP 192.168.1.63 is the broadcast address of its own network."};
    QTest::newRow("mask with a hole, gateway outside")
        << "192.168.1.10" << "255.0.255.0" << "10.168.1.1"
        << Lines{"Mask 255.0.255.0 is not contiguous.",
                 "Gateway 10.168.1.1 is outside the network of IP 192.168.1.10 with mask 255.0.255.0."};
}

void SetupRulesTest::lockOutWarnings()
{
    QFETCH(QString, ip);
    QFETCH(QString, mask);
    QFETCH(QString, gateway);
    QFETCH(Lines, warnings);

    const StaticAddress address{ip, mask, gateway, *readDottedAddress(ip), *readDottedAddress(mask),
                                *readDottedAddress(gateway)};
    QCOMPARE(::lockOutWarnings(address), warnings);
}

void SetupRulesTest::plans_data()
{
    QTest::addColumn<SetupResult>("result");
    QTest::addColumn<Lines>("expected");

    const QString ssid31(31, 's');
    const QString apAsk = "Modify AP SSID, execute?\n    . SSID: ";
    const QString staAsk = "Modify STA SSID, execute?\n    . SSID: ";
    const QString credentialsError = errorFound("    . SSID must less then 31 chars.\n    . Key must around chars  "
                                                "8~14.\n    . If Open type selected, Key can be ignore.");
    QTest::newRow("AP: 31-byte SSID, 8-byte key")
        << planAccessPoint({ssid31, KeyType::Wpa, "12345678"})
        << Lines{"log 31", "log 8", confirm(apAsk + ssid31 + "\n    . Type: [2] WPA/WPA2\n    . KEY: 12345678"),
                 "flash /local/ap_key.cfg 31 32 33 34 35 36 37 38 -> log AP_KEY =12345678",
                 "pause 200 flash /local/ap_ssid.cfg " + hex(ssid31.toLatin1()) + " -> log AP_SSID =" + ssid31,
                 rebootDone("AP SSID write")};
    QTest::newRow("AP: open ignores a short key but shows it")
        << planAccessPoint({"Hall", KeyType::Open, "abc"})
        << Lines{"log 4", "log 3", confirm(apAsk + "Hall\n    . Type: [0] OPEN\n    . KEY: abc"),
                 "delete /local/ap_key.cfg", "pause 200 flash /local/ap_ssid.cfg 48 61 6c 6c -> log AP_SSID =Hall",
                 rebootDone("AP SSID write")};
    QTest::newRow("AP: WEP is not offered, 16-byte key")
        << planAccessPoint({"a", KeyType::Wep, "0123456789abcdef"})
        << Lines{"log 1", "log 16", confirm(apAsk + "a\n    . Type: [2] WPA/WPA2\n    . KEY: 0123456789abcdef"),
                 "flash /local/ap_key.cfg " + hex("0123456789abcdef") + " -> log AP_KEY =0123456789abcdef",
                 "pause 200 flash /local/ap_ssid.cfg 61 -> log AP_SSID =a", rebootDone("AP SSID write")};
    QTest::newRow("AP: measured and shown after single-byte conversion")
        << planAccessPoint({QString("Caf\u00e9\u2603"), KeyType::Open, ""})
        << Lines{"log 5", confirm(apAsk + QString("Caf\u00e9?") + "\n    . Type: [0] OPEN\n    . KEY: "),
                 "delete /local/ap_key.cfg",
                 "pause 200 flash /local/ap_ssid.cfg 43 61 66 e9 3f -> log AP_SSID =" + QString("Caf\u00e9?"),
                 rebootDone("AP SSID write")};
    QTest::newRow("AP: 32-byte SSID") << planAccessPoint({QString(32, 's'), KeyType::Open, ""})
                                      << Lines{"log 32", credentialsError};
    QTest::newRow("AP: empty SSID") << planAccessPoint({"", KeyType::Wpa, "12345678"})
                                    << Lines{"log 8", credentialsError};
    QTest::newRow("AP: 7-byte key") << planAccessPoint({"a", KeyType::Wpa, "1234567"})
                                    << Lines{"log 1", "log 7", credentialsError};
    QTest::newRow("AP: 17 characters beyond Latin-1 are 17 bytes")
        << planAccessPoint({"a", KeyType::Wpa, QString(17, QChar(0x2603))} )
        << Lines{"log 1", "log 17", credentialsError};
    QTest::newRow("station: WEP, 8-byte key")
        << planStation({"kRVHUB", KeyType::Wep, "abcdefgh"})
        << Lines{"log 6", "log 8", confirm(staAsk + "kRVHUB\n    . Type: [1] WEP\n    . KEY: abcdefgh"),
                 "flash /local/sta_key.cfg " + hex("abcdefgh") + " -> log STA_KEY =abcdefgh",
                 "pause 200 flash /local/sta_keyT.cfg 01 -> log STA_KTYPE =1",
                 "pause 200 flash /local/sta_ssid.cfg " + hex("kRVHUB") + " -> log STA_SSID =kRVHUB",
                 rebootDone("STA SSID write")};
    QTest::newRow("station: open deletes the key")
        << planStation({"n", KeyType::Open, "x"})
        << Lines{"log 1", "log 1", confirm(staAsk + "n\n    . Type: [0] OPEN\n    . KEY: x"),
                 "delete /local/sta_key.cfg", "pause 200 flash /local/sta_keyT.cfg 00 -> log STA_KTYPE =0",
                 "pause 200 flash /local/sta_ssid.cfg 6e -> log STA_SSID =n", rebootDone("STA SSID write")};
    QTest::newRow("station: WPA")
        << planStation({"n", KeyType::Wpa, "12345678"})
        << Lines{"log 1", "log 8", confirm(staAsk + "n\n    . Type: [2] WPA/WPA2\n    . KEY: 12345678"),
                 "flash /local/sta_key.cfg " + hex("12345678") + " -> log STA_KEY =12345678",
                 "pause 200 flash /local/sta_keyT.cfg 02 -> log STA_KTYPE =2",
                 "pause 200 flash /local/sta_ssid.cfg 6e -> log STA_SSID =n", rebootDone("STA SSID write")};
    QTest::newRow("station: WEP, 5-byte key") << planStation({"n", KeyType::Wep, "abcde"})
                                              << Lines{"log 1", "log 5", credentialsError};

    const QString staticAsk = "Modify Station Static IP, Mask, Gateway, execute?\n    . IP: ";
    const QString addressError = errorFound("    . IP, Mask, Gateway input error.\n");
    QTest::newRow("static address")
        << planStaticAddress({true, "192.168.1.10", "255.255.255.0", "192.168.1.1"})
        << Lines{confirm(staticAsk + "192.168.1.10\n    . Mask: 255.255.255.0\n    . Gateway: 192.168.1.1"),
                 "flash /local/sta_ip.cfg c0 a8 01 0a ff ff ff 00 c0 a8 01 01", rebootDone("Station Static IP write")};
    QTest::newRow("static address: octal reading in the file, typed text in the confirmation")
        << planStaticAddress({true, "10.0.0.010", "255.0.0.0", "10.0.0.1"})
        << Lines{confirm(staticAsk + "10.0.0.010\n    . Mask: 255.0.0.0\n    . Gateway: 10.0.0.1"),
                 "flash /local/sta_ip.cfg 0a 00 00 08 ff 00 00 00 0a 00 00 01", rebootDone("Station Static IP write")};
    QTest::newRow("static address: lock-out warns, may still be written")
        << planStaticAddress({true, "192.168.1.10", "255.255.255.0", "192.168.2.1"})
        << Lines{confirm(staticAsk + "192.168.1.10\n    . Mask: 255.255.255.0\n    . Gateway: 192.168.2.1\n"
                         "    ! Warning: Gateway 192.168.2.1 is outside the network of IP 192.168.1.10 with mask "
                         "255.255.255.0.\n    ! The unit may not be reachable after its reboot."),
                 "flash /local/sta_ip.cfg c0 a8 01 0a ff ff ff 00 c0 a8 02 01", rebootDone("Station Static IP write")};
    QTest::newRow("static address: bad IP") << planStaticAddress({true, "192.168.1", "255.255.255.0", "192.168.1.1"})
                                            << Lines{addressError};
    QTest::newRow("static address: bad mask")
        << planStaticAddress({true, "192.168.1.2", "255.255.255.256", "192.168.1.1"}) << Lines{addressError};
    QTest::newRow("static address: gateway inet_addr refuses")
        << planStaticAddress({true, "192.168.1.2", "255.255.255.0", "192.168.1.09"}) << Lines{addressError};
    QTest::newRow("static address off: deleted without looking at the texts")
        << planStaticAddress({false, "junk", "", "x"})
        << Lines{confirm("Delete Station Static IP config, execute?\n"), "delete /local/sta_ip.cfg",
                 rebootDone("Station Static IP delete")};

    const QString location31(31, 'L');
    const QString locationError = errorFound("    . Location string must less then 31 chars.");
    QTest::newRow("location of 31 bytes")
        << planLocation(location31)
        << Lines{"log 31", confirm("Modify Location string, execute?\n    . Location: " + location31 + ".\n"),
                 "flash /local/locate.cfg " + hex(location31.toLatin1()) + " -> log Location =" + location31,
                 rebootDone("Location string write")};
    QTest::newRow("location of 32 bytes") << planLocation(QString(32, 'L')) << Lines{"log 32", locationError};
    QTest::newRow("empty location") << planLocation("") << Lines{locationError};
    QTest::newRow("web key of 3 bytes")
        << planWebKey("abc")
        << Lines{"log 3", confirm("Modify WEB Key, execute?\n    . WEB Key: abc.\n"),
                 "send web-key 61 62 63 -> log WEB Key =abc",
                 done("WEB Key write complete,\n    .Take effect immediately.")};
    QTest::newRow("web key of 6 bytes")
        << planWebKey("123456") << Lines{"log 6", errorFound("    . WEB Key must be 5 chars.")};

    const auto modbusTcp = [](const QString &port, const QString &timeout, const QString &bytes) {
        return Lines{confirm("Modify Modbus Port & Idle Timeout, execute?\n    . Port: " + port + ", Idle Timeout: "
                             + timeout + "."),
                     "flash /local/mbport.cfg " + bytes + " -> log Modbus Port =" + port + ", Idle Timeout: " + timeout,
                     "pause 300 send modbus-tcp", rebootDone("Modify Modbus Port, Timeout write")};
    };
    const QString portNotNumber = "error 0 Modbus port input Error: The port must be a whole number.";
    const QString portUsed = "error 0 Modbus port input Error: Port already used!";
    const QString portRange = "error 0 Modbus port range Error: Port number over range!";
    const QString timeoutRange =
        "error 0 Modbus Idle Timeout input Error: Timeout range must in 1 ~ 65000 Sec! Recommend 30 Sec.";
    QTest::newRow("Modbus TCP 502, 30") << planModbusTcp("502", "30")
                                        << modbusTcp("502", "30", "01 f6 00 1e 00 00 00 00 00 00");
    QTest::newRow("Modbus TCP largest") << planModbusTcp("65535", "65000")
                                        << modbusTcp("65535", "65000", "ff ff fd e8 00 00 00 00 00 00");
    QTest::newRow("Modbus TCP smallest, shown as a number")
        << planModbusTcp("0001", "1") << modbusTcp("1", "1", "00 01 00 01 00 00 00 00 00 00");
    QTest::newRow("port 0") << planModbusTcp("0", "30") << Lines{portRange};
    QTest::newRow("port 65536") << planModbusTcp("65536", "30") << Lines{portRange};
    QTest::newRow("command channel port") << planModbusTcp("13577", "30") << Lines{portUsed};
    QTest::newRow("web page port, checked before the timeout") << planModbusTcp("80", "x") << Lines{portUsed};
    QTest::newRow("port text") << planModbusTcp("", "30") << Lines{portNotNumber};
    QTest::newRow("timeout 0") << planModbusTcp("502", "0") << Lines{timeoutRange};
    QTest::newRow("timeout 65001") << planModbusTcp("502", "65001") << Lines{timeoutRange};
    QTest::newRow("timeout text") << planModbusTcp("502", "30s")
        << Lines{"error 0 Modbus Idle Timeout input Error: The idle timeout must be a whole number of seconds."};

    const QString idRange = "error 0 Modbus RTU Device ID Error: Device ID range must be 1 ~ 247";
    QTest::newRow("RTU initial values")
        << planModbusRtu({})
        << Lines{"no link check", "memo +Device ID Len1SUM:2", "memo +Baudrate Len6SUM:9", "memo +Parity Len1SUM:11",
                 "memo +Data bit Len1SUM:13", "memo +Stop bit Len1SUM:14", "memo RTU String Len =14",
                 "memo RTU String =1,115200,N,8,1      ", "sd RTU.CFG " + hex("1,115200,N,8,1")};
    QTest::newRow("RTU 19 bytes, ID as typed")
        << planModbusRtu({"010", "115200000", "Even", "7", "2"})
        << Lines{"no link check", "memo +Device ID Len3SUM:4", "memo +Baudrate Len9SUM:14", "memo +Parity Len1SUM:16",
                 "memo +Data bit Len1SUM:18", "memo +Stop bit Len1SUM:19", "memo RTU String Len =19",
                 "memo RTU String =010,115200000,E,7,2 ", "sd RTU.CFG " + hex("010,115200000,E,7,2")};
    QTest::newRow("RTU 20 bytes") << planModbusRtu({"0010", "115200000", "Even", "7", "2"})
        << Lines{"error 0 Modbus RTU Error: The RTU settings take 20 bytes; the unit takes at most 19."};
    QTest::newRow("RTU ID 248") << planModbusRtu({"248"}) << Lines{idRange};
    QTest::newRow("RTU ID 0") << planModbusRtu({"0"}) << Lines{idRange};
    QTest::newRow("RTU ID beyond any integer") << planModbusRtu({"99999999999"}) << Lines{idRange};
    QTest::newRow("RTU signed ID would reach the record")
        << planModbusRtu({"+5"}) << Lines{"error 0 Modbus RTU Device ID Error: The device ID must be a whole number."};
    QTest::newRow("RTU empty parity has no first character")
        << planModbusRtu({"1", "9600", ""})
        << Lines{"error 0 Modbus RTU Error: Parity, data bits and stop bits must not be empty."};

    const QString rebootNow = "\n    . Device will Reboot immediately!";
    QTest::newRow("AP mode") << unchecked(planWifiMode(true))
                             << Lines{confirm("Modify Wi-Fi Mode, execute?\n    . Wi-Fi Mode: AP Mode." + rebootNow),
                                      "no link check", "send wifi-mode 02", done("Wi-Fi Mode write complete,\n    . Reboot complete.")};
    QTest::newRow("station mode") << unchecked(planWifiMode(false))
        << Lines{confirm("Modify Wi-Fi Mode, execute?\n    . Wi-Fi Mode: Station Mode." + rebootNow),
                 "no link check", "send wifi-mode 00", done("Wi-Fi Mode write complete,\n    . Reboot complete.")};
    QTest::newRow("reset") << unchecked(planResetToDefaults())
                           << Lines{confirm("Reset to default setting, execute?" + rebootNow), "no link check", "send reset",
                                    done("Reset default complete,\n    . Reboot complete.")};
    QTest::newRow("reboot")
        << unchecked(planReboot())
        << Lines{confirm("Reboot device, execute?"), "no link check", "send-no-reply restart", done("Reboot complete.")};
    QTest::newRow("firmware") << unchecked(planFirmwareUpdate()) << Lines{confirm("F/W Update, execute?"), "firmware"};
}

void SetupRulesTest::plans()
{
    QFETCH(SetupResult, result);
    QFETCH(Lines, expected);

    QCOMPARE(describe(result), expected);
}

QTEST_GUILESS_MAIN(SetupRulesTest)
#include "test_setup_rules.moc"
