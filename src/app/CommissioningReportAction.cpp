#include "CommissioningReportAction.h"

#include "Dialogs.h"
#include "MonitorWindow.h"
#include "ReportDocument.h"
#include "ReportRead.h"
#include "UnitSession.h"

#include <QDir>
#include <QFileDialog>

namespace {

const QString Caption = QStringLiteral("Commissioning report");

QString askForFile(QWidget *parent)
{
    QFileDialog dialog(parent, Caption, QString(), QString());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QString pdf = QStringLiteral("PDF (*.pdf)");
    dialog.setNameFilters({pdf, QStringLiteral("HTML for mail (*.html)")});
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(QStringLiteral("commissioning-report.pdf"));
    // A name typed without extension takes the one of the kind chosen.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, pdf](const QString &filter) {
        dialog.setDefaultSuffix(filter == pdf ? QStringLiteral("pdf") : QStringLiteral("html"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

CommissioningReportAction::CommissioningReportAction(UnitSession &session, Dialogs &dialogs, MonitorWindow &monitor)
    : chooseFile([&monitor] { return askForFile(&monitor); })
    , session_(session)
    , dialogs_(dialogs)
    , monitor_(monitor)
{
}

void CommissioningReportAction::run()
{
    const QString path = chooseFile();
    if (path.isEmpty())
        return;
    const QString shownPath = QDir::toNativeSeparators(path);
    if (!isReportPath(path)) {
        dialogs_.messageBox("A report is written as .pdf or .html; nothing was written to " + shownPath + ".", Caption,
                            Dialogs::Error);
        return;
    }
    UnitReport report = readReport(session_.link, session_.transfer, true);
    if (!report.read()) {
        dialogs_.messageBox("No report was written for the unit at " + report.address + " (" + report.failure + ").",
                            Caption, Dialogs::Error);
        return;
    }
    report.channelTests = ChannelTestLog::instance().testsOf(report.address);
    if (const QString error = writeReport(path, reportHtml(report, ReportOrigin::now())); !error.isEmpty()) {
        dialogs_.messageBox("The report was not written: " + QDir::toNativeSeparators(error) + ".", Caption, Dialogs::Error);
        return;
    }
    monitor_.setStatusLine("Commissioning report written: " + shownPath);
}
