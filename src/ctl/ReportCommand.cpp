// report: the commissioning report of one unit, or of a site, read in this process one unit after another.
#include "ReportCommand.h"

#include "BackupCommands.h"
#include "FleetCommandLine.h"
#include "ReportDocument.h"
#include "ReportRead.h"
#include "UnitRead.h"

#include <CLI/CLI.hpp>
#include <QFileInfo>
#include <QJsonArray>
#include <memory>

namespace {

struct ReportOptions {
    std::string file;
    std::string channelTests;
    bool site = false;
    bool noClipSizes = false;
};

// The first word that is no global option, or empty.
std::string commandOf(const std::vector<std::string> &arguments)
{
    static const std::vector<std::string> withValue{"--address", "--hosts", "--jobs"};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string &word = arguments[i];
        if (std::find(withValue.begin(), withValue.end(), word) != withValue.end())
            ++i;
        else if (word.rfind('-', 0) != 0)
            return word;
    }
    return {};
}

int report(const CtlOptions &options, const ReportOptions &given)
{
    const QString file = QString::fromLocal8Bit(given.file.c_str());
    if (!isReportPath(file))
        return failWith("the report's file must end in .pdf, .html or .htm: " + file, CtlUsage);
    QList<ChannelTest> tests;
    if (!given.channelTests.empty()) {
        QString error;
        const auto loaded = ChannelTestLog::load(QString::fromLocal8Bit(given.channelTests.c_str()), error);
        if (!loaded)
            return failWith(error + "; nothing read", CtlUsage);
        tests = *loaded;
    }
    QStringList addresses;
    for (const std::string &address : options.siteAddresses)
        addresses << QString::fromStdString(address);
    if (addresses.isEmpty())
        addresses << QString::fromStdString(options.address);

    QList<UnitReport> reports;
    QJsonArray units;
    int failed = 0;
    UnitFault lastFault;
    for (const QString &address : addresses) {
        CtlOptions unitOptions = options;
        unitOptions.address = address.toStdString();
        CtlSession session(unitOptions);
        UnitFault fault;
        UnitReport unit = readReport(session.link, session.transfer, !given.noClipSizes, &fault);
        if (!given.site && fault.failed()) {
            CtlSession::exitFor(fault);
            return failWith(QStringLiteral("no report written"), fault.kind == UnitFailure::NoConnection ? CtlNoConnection
                                                                                                   : CtlNoUsableAnswer);
        }
        if (fault.failed()) {
            ++failed;
            lastFault = fault;
        }
        for (const ChannelTest &test : tests)
            if (test.address == address)
                unit.channelTests.append(test);
        const QString result = unit.read() ? QStringLiteral("read") : unit.failure;
        units.append(QJsonObject{{"address", address}, {"result", result}});
        if (given.site && !options.json)
            printLine(stdout, address + ": " + result);
        reports.append(unit);
    }
    const ReportOrigin origin = ReportOrigin::now();
    const QString html = given.site ? siteReportHtml(reports, origin) : reportHtml(reports.constFirst(), origin);
    if (const QString error = writeReport(file, html); !error.isEmpty())
        return failWith(error, CtlNoUsableAnswer);
    if (options.json)
        printJson({{"file", QFileInfo(file).absoluteFilePath()}, {"units", units}});
    else if (!given.site)
        printLine(stdout, QStringLiteral("done"));
    // The report is written either way; the status says whether every unit is in it.
    if (failed == 0)
        return CtlDone;
    if (addresses.size() > 1)
        return CtlUnitsFailed;
    return lastFault.kind == UnitFailure::NoConnection ? CtlNoConnection : CtlNoUsableAnswer;
}

} // namespace

bool isReportCommandLine(const std::vector<std::string> &arguments)
{
    return commandOf(arguments) == "report";
}

bool isSiteReport(const std::vector<std::string> &arguments)
{
    return isReportCommandLine(arguments) && std::find(arguments.begin(), arguments.end(), "--site") != arguments.end();
}

void addReportCommand(CLI::App &app, const CtlOptions &options, int &exitCode)
{
    auto given = std::make_shared<ReportOptions>();
    CLI::App *command = app.add_subcommand("report", "Read the unit and write its commissioning report to FILE (.pdf or .html)");
    command->add_option("file", given->file, "The report to write: PDF for .pdf, HTML for .html or .htm")->required();
    command->add_flag("--site", given->site,
                      "One report of every unit given (--address more than once, or --hosts): a summary table, then each unit");
    command->add_option("--channel-tests", given->channelTests, "List the channel tests the tool's window saved in FILE")
        ->type_name("FILE");
    command->add_flag("--no-clip-sizes", given->noClipSizes, "Do not read each clip for its size");
    command->callback([&, given] { exitCode = report(options, *given); });
}
