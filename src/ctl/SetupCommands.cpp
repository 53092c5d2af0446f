#include "SetupCommands.h"

#include "AddressLockOut.h"
#include "FirmwareUpdate.h"
#include "LocationPlan.h"
#include "ModbusRtuPlan.h"
#include "ModbusTcpPlan.h"
#include "ProgressLine.h"
#include "SetupRunner.h"
#include "StaticAddressPlan.h"
#include "TerminalDialogs.h"
#include "UnitCommandPlans.h"
#include "WebKeyPlan.h"
#include "WifiCredentialsPlans.h"

#include <CLI/CLI.hpp>
#include <QFileInfo>
#include <functional>
#include <memory>

namespace {

using Arguments = std::vector<std::string>;

QString text(const std::string &value)
{
    return QString::fromLocal8Bit(value.c_str());
}

} // namespace

int exitForSetupRun(const SetupRun &run)
{
    switch (run.outcome) {
    case SetupOutcome::Done:
        return CtlDone;
    case SetupOutcome::Unconfirmed:
        printLine(stderr, NotConfirmedPrefix + QStringLiteral("F/W image: the model was not recognised, so the unit "
                                                              "was not asked to confirm the image"));
        return CtlNoUsableAnswer;
    case SetupOutcome::Failed:
        if (!run.notConfirmed.isEmpty())
            printLine(stderr, NotConfirmedPrefix + run.notConfirmed);
        return run.unreachable ? CtlNoConnection : CtlNoUsableAnswer;
    case SetupOutcome::Cancelled:
    case SetupOutcome::LinkCheckFailed:
        break; // not reached: no prompts, no link check
    }
    return CtlNoUsableAnswer;
}

namespace {

// Runs a plan as the setup window would, after `prepare` (which may read the unit first).
int runPlan(const CtlOptions &options, const SetupPlan &plan, const QString &chosenFile = {},
            const std::function<int(CtlSession &)> &prepare = {})
{
    CtlSession session(options);
    if (prepare)
        if (const int failed = prepare(session))
            return failed;
    ProgressLineGauge gauge;
    session.transfer.flashGauge = &gauge;
    TerminalDialogs dialogs(chosenFile);
    auto toStderr = [](const QString &line) { printLine(stderr, line); };
    SetupRunner runner(session.transfer, dialogs,
                       {.monitor = toStderr,
                        .setup = toStderr,
                        .unconfirmed = [](const QString &names) {
                            printLine(stderr, NotConfirmedPrefix + names + ": the unit may have restarted before it answered");
                        }});
    const SetupRun run = runner.run(plan);
    if (run.outcome == SetupOutcome::Done && !plan.completion)
        printLine(stdout, QStringLiteral("done"));
    return exitForSetupRun(run);
}

// Refused input: the window's box text, and nothing is sent.
bool refused(const SetupResult &result, int &exitCode)
{
    if (!result.error)
        return false;
    printLine(stderr, result.error->text);
    exitCode = CtlUsage;
    return true;
}

int applyResult(const CtlOptions &options, const SetupResult &result)
{
    int exitCode = CtlDone;
    return refused(result, exitCode) ? exitCode : runPlan(options, result.plan);
}

CLI::App *withArguments(CLI::App *command, Arguments &values, const std::string &names, int minimum, int maximum)
{
    command->add_option("arguments", values, names)->required()->expected(minimum, maximum);
    return command;
}

void addCredentialsCommand(CLI::App &set, const CtlOptions &options, int &exitCode, bool station)
{
    auto values = std::make_shared<Arguments>();
    const QString usage = station ? "SSID open | SSID wep KEY | SSID wpa KEY" : "SSID open | SSID wpa KEY";
    CLI::App *command = set.add_subcommand(station ? "station" : "ap", station ? "The network the unit joins as a station"
                                                                               : "The unit's own access point");
    withArguments(command, *values, usage.toStdString(), 2, 3);
    command->callback([&, values, station, usage] {
        const Arguments &v = *values;
        const bool open = v[1] == "open";
        const bool known = open || v[1] == "wpa" || (station && v[1] == "wep");
        if (!known || v.size() != (open ? 2u : 3u)) {
            printLine(stderr, "zorctl: use " + usage);
            exitCode = CtlUsage;
            return;
        }
        const WifiCredentials input{text(v[0]), open ? KeyType::Open : v[1] == "wep" ? KeyType::Wep : KeyType::Wpa,
                                    open ? QString() : text(v[2])};
        exitCode = applyResult(options, station ? planStation(input) : planAccessPoint(input));
    });
}

void addStaticIpCommand(CLI::App &set, const CtlOptions &options, int &exitCode)
{
    auto values = std::make_shared<Arguments>();
    CLI::App *command = set.add_subcommand("static-ip", "The station's static address, or off to delete it");
    withArguments(command, *values, "IP MASK GATEWAY | off", 1, 3);
    command->callback([&, values] {
        const Arguments &v = *values;
        const bool off = v.size() == 1 && v[0] == "off";
        if (!off && v.size() != 3) {
            printLine(stderr, QStringLiteral("zorctl: give IP MASK GATEWAY, or off"));
            exitCode = CtlUsage;
            return;
        }
        const StaticAddressInput input = off ? StaticAddressInput{}
                                             : StaticAddressInput{true, text(v[0]), text(v[1]), text(v[2])};
        const SetupResult result = planStaticAddress(input);
        if (refused(result, exitCode))
            return;
        if (!off) {
            const StaticAddress address{input.ip, input.mask, input.gateway, *readDottedAddress(input.ip),
                                        *readDottedAddress(input.mask), *readDottedAddress(input.gateway)};
            for (const QString &warning : lockOutWarnings(address))
                printLine(stderr, "zorctl: warning: " + warning);
        }
        exitCode = runPlan(options, result.plan);
    });
}

void addModbusRtuCommand(CLI::App &set, const CtlOptions &options, int &exitCode)
{
    auto values = std::make_shared<Arguments>();
    CLI::App *command = set.add_subcommand("modbus-rtu", "The serial settings, written as RTU.CFG on the SD card");
    command->add_option("arguments", *values, "ID BAUD PARITY DATABITS STOPBITS (PARITY None|Even|Odd)")
        ->required()
        ->expected(5);
    command->callback([&, values] {
        const Arguments &v = *values;
        if (v[2] != "None" && v[2] != "Even" && v[2] != "Odd") {
            printLine(stderr, QStringLiteral("zorctl: PARITY is None, Even or Odd"));
            exitCode = CtlUsage;
            return;
        }
        const SetupResult result = planModbusRtu({text(v[0]), text(v[1]), text(v[2]), text(v[3]), text(v[4])});
        if (refused(result, exitCode))
            return;
        // The window asks for fresh device information first and writes only with an SD card.
        exitCode = runPlan(options, result.plan, {}, [](CtlSession &session) {
            if (const int failed = session.readDeviceInformation())
                return failed;
            if (session.status.sdPresent)
                return int(CtlDone);
            printLine(stderr, QStringLiteral("zorctl: the unit reports no SD card; RTU.CFG was not written"));
            return int(CtlNoUsableAnswer);
        });
    });
}

void addSetCommands(CLI::App &app, const CtlOptions &options, int &exitCode)
{
    CLI::App *set = app.add_subcommand("set", "Change one group of the unit's settings, as the setup window does");
    set->require_subcommand(1);
    addCredentialsCommand(*set, options, exitCode, false);
    addCredentialsCommand(*set, options, exitCode, true);
    addStaticIpCommand(*set, options, exitCode);

    auto location = std::make_shared<std::string>();
    set->add_subcommand("location", "The unit's location text")
        ->callback([&, location] { exitCode = applyResult(options, planLocation(text(*location))); })
        ->add_option("text", *location, "1 to 31 characters")
        ->required();

    auto webKey = std::make_shared<std::string>();
    set->add_subcommand("web-key", "The key of the unit's web page; takes effect at once")
        ->callback([&, webKey] { exitCode = applyResult(options, planWebKey(text(*webKey))); })
        ->add_option("key", *webKey, "1 to 5 characters")
        ->required();

    auto tcp = std::make_shared<Arguments>();
    CLI::App *modbusTcp = set->add_subcommand("modbus-tcp", "Port and idle timeout of the unit's Modbus TCP server");
    modbusTcp->add_option("arguments", *tcp, "PORT TIMEOUT")->required()->expected(2);
    modbusTcp->callback([&, tcp] { exitCode = applyResult(options, planModbusTcp(text((*tcp)[0]), text((*tcp)[1]))); });

    addModbusRtuCommand(*set, options, exitCode);
}

} // namespace

void addSetupCommands(CLI::App &app, const CtlOptions &options, int &exitCode)
{
    addSetCommands(app, options, exitCode);

    auto mode = std::make_shared<std::string>();
    app.add_subcommand("wifi-mode", "Switch the unit to access-point or station mode; it restarts")
        ->callback([&, mode] { exitCode = runPlan(options, planWifiMode(*mode == "ap")); })
        ->add_option("mode", *mode, "ap or station")
        ->required()
        ->check(CLI::IsMember({"ap", "station"}));
    app.add_subcommand("reset-defaults", "Reset the unit's configuration to its defaults; it restarts")
        ->callback([&] { exitCode = runPlan(options, planResetToDefaults()); });
    app.add_subcommand("reboot", "Restart the unit")->callback([&] { exitCode = runPlan(options, planReboot()); });

    auto image = std::make_shared<std::string>();
    app.add_subcommand("firmware", "Send a firmware image; exit 0 only when the unit confirms its sum")
        ->callback([&, image] {
            // Refused before anything is sent, as the setup window refuses it before the image goes out.
            const QFileInfo file(text(*image));
            if (const auto refusal = firmwareSizeRefusal(file.size())) {
                printLine(stderr, "zorctl: " + file.filePath()
                                      + (*refusal == FirmwareOutcome::Empty
                                             ? QStringLiteral(" is empty")
                                             : QStringLiteral(" has %1 bytes, more than the %2 a unit takes")
                                                   .arg(file.size())
                                                   .arg(MaxFirmwareImageSize))
                                      + "; nothing was sent");
                exitCode = CtlUsage;
                return;
            }
            // The model decides where the image goes and whether the unit confirms it.
            exitCode = runPlan(options, planFirmwareUpdate(), text(*image),
                               [](CtlSession &session) { return session.readDeviceInformation(); });
        })
        ->add_option("image", *image, "The .bin image, at most 2 MiB")
        ->required()
        ->check(CLI::ExistingFile);
}
