// The answer rule as one table: every kind of request the setup window and zorctl send, against
// every kind of answer. Only an acknowledgement lets the work go on; a refused delete leaves what
// was wanted; Wi-Fi mode and reset may go unanswered, as the unit restarts; reboot is send-only.
#include "CommandHandler.h"
#include "FixedAdapterSource.h"
#include "LocationPlan.h"
#include "ModbusRtuPlan.h"
#include "ModbusTcpPlan.h"
#include "PermissiveDialogs.h"
#include "SetupCommands.h"
#include "SetupRunner.h"
#include "SimulatorThread.h"
#include "UnitCommandPlans.h"
#include "UnitSession.h"
#include "WebKeyPlan.h"
#include "WifiCredentialsPlans.h"

#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

enum class Answer { Ack, Refused, Silent, OtherCode, CutFrame };
const char *const answerNames[] = {"ack", "refused", "silent", "other code", "cut frame"};

struct Request {
    const char *name;
    Command faulted; // the request whose answer the row sets
    std::function<SetupResult()> plan;
    QString named;   // in the failure box, or in the line of an unconfirmed restart
    bool announces;  // the next step is the request's own data phase
    bool followed;   // a later request follows it in the plan
};

const QList<Request> requests{
    {"flash file 95", Command::WriteFlashFile, [] { return planLocation("Pump room"); }, "/local/locate.cfg", true, false},
    {"SD file 90", Command::WriteSdFile, [] { return planModbusRtu({}); }, "RTU.CFG", true, false},
    {"delete 93, then the SSID", Command::DeleteFlashFile,
     [] { return planAccessPoint({"Hall AP", KeyType::Open, ""}); }, "/local/ap_key.cfg", false, true},
    {"web key 0x32", Command::WebKey, [] { return planWebKey("ab12"); }, "WEB key", false, false},
    {"0xDC after its file", Command::ModbusTcpWritten, [] { return planModbusTcp("502", "30"); },
     "Modbus TCP settings", false, false},
    {"Wi-Fi mode 0x30", Command::WifiMode, [] { return SetupResult{{}, {}, planWifiMode(false)}; }, "Wi-Fi mode", false,
     false},
    {"reset 0x5E", Command::ResetConfiguration, [] { return SetupResult{{}, {}, planResetToDefaults()}; },
     "Reset to defaults", false, false},
    {"reboot 0x2D", Command::Restart, [] { return SetupResult{{}, {}, planReboot()}; }, "Reboot", false, false},
    {"F/W check 37", Command::FirmwareCheck, [] { return SetupResult{{}, {}, planFirmwareUpdate()}; },
     "F/W image", false, false},
};

UnitFaults faultsFor(Answer answer, Command request)
{
    UnitFaults faults;
    faults.onlyForCode = codeOf(request);
    faults.negativeStatus = answer == Answer::Refused;
    faults.noAnswer = answer == Answer::Silent;
    faults.misEcho = answer == Answer::OtherCode;
    faults.slowAnswer = answer == Answer::CutFrame; // the tool takes the first byte it sees
    return faults;
}

enum class Next { Sent, NotSent, None };

} // namespace

Q_DECLARE_METATYPE(Next)

class AnswerRuleTest : public QObject {
    Q_OBJECT
private slots:
    void table_data();
    void table();
};

void AnswerRuleTest::table_data()
{
    QTest::addColumn<int>("request");
    QTest::addColumn<int>("answer");
    QTest::addColumn<SetupOutcome>("outcome");
    QTest::addColumn<bool>("unconfirmedLine"); // the completion says the unit did not confirm
    QTest::addColumn<Next>("next");
    QTest::addColumn<int>("exitCode");

    for (int r = 0; r < requests.size(); ++r) {
        const Request &request = requests[r];
        const bool restarts = ExchangeResult::restartsUnit(request.faulted);
        const bool sendOnly = request.faulted == Command::Restart;
        const bool follows = request.announces || request.followed;
        for (int a = 0; a <= int(Answer::CutFrame); ++a) {
            const Answer answer = Answer(a);
            // A unit refuses to delete a file it does not hold, which leaves what was wanted.
            const bool refusedDelete = answer == Answer::Refused && request.faulted == Command::DeleteFlashFile;
            const bool unconfirmed = answer != Answer::Ack && answer != Answer::Refused;
            const bool done = answer == Answer::Ack || refusedDelete || sendOnly || (restarts && unconfirmed);
            QTest::addRow("%s / %s", request.name, answerNames[a])
                << r << a << (done ? SetupOutcome::Done : SetupOutcome::Failed)
                << (restarts && unconfirmed) << (!follows ? Next::None : done ? Next::Sent : Next::NotSent)
                << (done ? 0 : 1);
        }
    }
}

void AnswerRuleTest::table()
{
    QFETCH(int, request);
    QFETCH(int, answer);
    QFETCH(SetupOutcome, outcome);
    QFETCH(bool, unconfirmedLine);
    QFETCH(Next, next);
    QFETCH(int, exitCode);
    const Request &asked = requests[request];

    static int host = 10;
    const QHostAddress address(QStringLiteral("127.0.31.%1").arg(host++));
    SimulatorThread sim;
    QVERIFY(sim.start(address, {ModelZor04Rtu, {}, 0, faultsFor(Answer(answer), asked.faulted)}));
    sim.unit().setFile(FileArea::Flash, "/local/ap_key.cfg", "old key!");

    FixedAdapterSource adapters;
    UnitSession session(adapters);
    session.link.linkCheck = nullptr;
    session.link.deviceAddress = address.toString();
    Timing &t = session.timing;
    t.answerWaits = 20;
    for (int *pause : {&t.sdWritePauseMs, &t.flashWritePauseMs, &t.firmwarePauseMs, &t.firmwareCheckPauseMs,
                       &t.configFilePauseMs, &t.modbusCommandPauseMs})
        *pause = 10;
    session.status.modelRecognised = true;
    QTemporaryDir dir;
    PermissiveDialogs dialogs;
    dialogs.firmwarePath = dir.filePath("fw.bin");
    QFile image(dialogs.firmwarePath);
    QVERIFY(image.open(QIODevice::WriteOnly) && image.write(QByteArray(3000, 'F')) == 3000);
    image.close();

    const SetupRun run = SetupRunner(session.transfer, dialogs).apply(asked.plan());
    QCOMPARE(run.outcome, outcome);
    QCOMPARE(exitForSetupRun(run), exitCode);
    const QString boxes = dialogs.boxes.join(" | ");
    QCOMPARE(boxes.contains("The unit did not confirm " + asked.named), unconfirmedLine);
    if (outcome == SetupOutcome::Failed)
        QVERIFY2(boxes.contains(asked.named), qPrintable(boxes)); // the request and the file are named
    if (!run.notConfirmed.isEmpty())
        QVERIFY2(run.notConfirmed.contains(asked.named), qPrintable(run.notConfirmed));

    // What followed the faulted request: its data phase, or a later request.
    QTest::qWait(100); // a data phase lands a moment after the tool has closed it
    QList<QByteArray> frames;
    for (const QByteArray &frame : sim.unit().receivedFrames())
        if (isRequestFrame(frame))
            frames << frame;
    const auto faulted = std::find_if(frames.cbegin(), frames.cend(),
                                      [&](const QByteArray &f) { return std::uint8_t(f[4]) == codeOf(asked.faulted); });
    QVERIFY2(faulted != frames.cend(), "the request under test was not sent");
    bool followed = false;
    if (asked.announces) {
        for (const ReceivedData &data : sim.unit().receivedData())
            followed = followed || !data.bytes.isEmpty();
    } else {
        followed = faulted + 1 != frames.cend();
    }
    if (next != Next::None)
        QCOMPARE(followed, next == Next::Sent);
    else
        QVERIFY2(asked.announces || !followed, "a request was sent after the last step");
}

QTEST_MAIN(AnswerRuleTest)
#include "test_answer_rule.moc"
