#include "UnitsWindow.h"

#include "Dialogs.h"
#include "SubnetTexts.h"
#include "TextFileWriter.h"
#include "UnitSightingsCsv.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <algorithm>

namespace {

const QString Caption = QStringLiteral("Units");

QStringList rowTexts(const UnitSighting &unit)
{
    const QString rssi = unit.rssi != 0 ? QString::number(unit.rssi) + QStringLiteral(" dBm") : QString();
    return {unit.address, unit.model, unit.mac, unit.location, unit.firmware, unit.sd, rssi, unit.wifiMode};
}

} // namespace

void UnitsWindow::startScan()
{
    if (batch_.isRunning())
        return; // a new table would lose the rows the batch reports on
    const QStringList subnets = subnetEdit_->text().split(QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts);
    if (subnets.isEmpty()) {
        summary_->setText(QStringLiteral("Give one or more subnets, e.g. 192.168.1.0/24."));
        return;
    }
    QString error;
    const QList<QHostAddress> hosts = scanHosts(subnets, &error);
    if (!error.isEmpty()) {
        summary_->setText(error); // nothing is asked while one subnet is wrong
        return;
    }
    cancelled_ = false;
    table_->setRowCount(0);
    summary_->setText(QStringLiteral("Asking %1 hosts…").arg(hosts.size()));
    onProgress(0, int(hosts.size()));
    progress_->setTextVisible(true);
    scan_.start(hosts, jobs, timeoutMs);
    updateButtons();
}

void UnitsWindow::cancelScan()
{
    if (batch_.isRunning()) {
        batch_.cancel();
        return;
    }
    cancelled_ = scan_.isRunning();
    scan_.cancel();
}

void UnitsWindow::useSelected()
{
    const QList<int> rows = selectedRows();
    if (rows.size() != 1)
        return;
    emit useAddress(table_->item(rows.front(), 0)->text());
}

void UnitsWindow::exportCsv()
{
    const QString path = chooseExportPath ? chooseExportPath() : QString();
    if (path.isEmpty())
        return;
    const QString error = writeTextFile(path, sightingsCsv(scan_.sightings(), batch_.results()));
    if (!error.isEmpty())
        dialogs_.messageBox(QStringLiteral("Cannot export the units to %1: %2").arg(path, error), Caption, Dialogs::Error);
}

void UnitsWindow::done(int result)
{
    if (batch_.isRunning()) {
        // Running units finish their files behind the closed window; the rest never start.
        if (dialogs_.messageBox(QStringLiteral("Units are still running. Close the window and start no further unit?\n"
                                               "Running units finish what they are writing."),
                                Caption, Dialogs::YesNoQuestion)
            != Dialogs::Yes)
            return;
        batch_.cancel();
    }
    cancelScan(); // closing the window ends its scan
    QDialog::done(result);
}

QList<int> UnitsWindow::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : table_->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<UnitSighting> UnitsWindow::selectedUnits() const
{
    // Rows follow the scan's order: a row's place is its sighting's.
    const QList<UnitSighting> sightings = scan_.sightings();
    QList<UnitSighting> units;
    for (int row : selectedRows())
        if (row < sightings.size())
            units << sightings[row];
    return units;
}

void UnitsWindow::onSelection(void (UnitsBatch::*action)(const QList<UnitSighting> &))
{
    const QList<UnitSighting> units = selectedUnits();
    if (units.isEmpty() || batch_.isRunning() || scan_.isRunning())
        return;
    (batch_.*action)(units);
    if (batch_.isRunning())
        summary_->setText(units.size() == 1 ? QStringLiteral("Working on 1 unit…")
                                            : QStringLiteral("Working on %1 units…").arg(units.size()));
    updateButtons();
}

void UnitsWindow::showSightings()
{
    const QList<int> rows = selectedRows();
    const QString selected = rows.size() == 1 ? table_->item(rows.front(), 0)->text() : QString();
    const QList<UnitSighting> sightings = scan_.sightings();
    const QStringList wifi = wifiAddresses ? wifiAddresses() : QStringList();
    table_->setRowCount(int(sightings.size()));
    for (int row = 0; row < sightings.size(); ++row) {
        QStringList texts = rowTexts(sightings[row]);
        const QString note = wifiAddresses ? SubnetTexts::rowNote(texts[0], wifi) : QString();
        texts << note << batch_.result(texts[0]);
        for (int column = 0; column < texts.size(); ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            if (!note.isEmpty()) {
                // "Use" would only end in "Device not found!!": the row says why beforehand.
                item->setForeground(table_->palette().color(QPalette::Disabled, QPalette::Text));
                item->setToolTip(note);
            }
            table_->setItem(row, column, item);
        }
        if (texts[0] == selected)
            table_->selectRow(row); // a row found meanwhile does not move the selection
    }
    updateButtons();
}

void UnitsWindow::showResult(const QString &address)
{
    for (int row = 0; row < table_->rowCount(); ++row) {
        if (table_->item(row, 0)->text() != address)
            continue;
        const int percent = batch_.percent(address);
        auto *gauge = qobject_cast<QProgressBar *>(table_->cellWidget(row, ResultColumn));
        if (percent >= 0 && !gauge) {
            gauge = new QProgressBar(table_);
            gauge->setObjectName(QStringLiteral("ResultGauge"));
            gauge->setRange(0, 100);
            table_->setCellWidget(row, ResultColumn, gauge);
        } else if (percent < 0 && gauge) {
            table_->removeCellWidget(row, ResultColumn);
            gauge = nullptr;
        }
        if (gauge)
            gauge->setValue(percent);
        // A failure's reason may quote the unit: an item shows it as plain text.
        QTableWidgetItem *item = table_->item(row, ResultColumn);
        const QString result = batch_.result(address);
        item->setText(result);
        item->setToolTip(result);
        item->setForeground(result.startsWith(QStringLiteral("failed")) ? QBrush(Qt::red) : table_->palette().text());
    }
}

void UnitsWindow::onProgress(int done, int total)
{
    progress_->setRange(0, std::max(total, 1));
    progress_->setValue(done);
}

void UnitsWindow::onFinished()
{
    const int found = int(scan_.sightings().size());
    const QString units = found == 1 ? QStringLiteral("1 unit found") : QStringLiteral("%1 units found").arg(found);
    if (cancelled_)
        summary_->setText(QStringLiteral("Cancelled after %1 of %2 hosts: %3.").arg(progress_->value()).arg(progress_->maximum()).arg(units));
    else
        summary_->setText(QStringLiteral("%1; %2 other hosts did not answer as a unit.").arg(units).arg(scan_.unlisted()));
    updateButtons();
}

void UnitsWindow::onBatchFinished()
{
    int done = 0, failed = 0, notStarted = 0;
    for (const BatchJobState &state : batch_.run().states()) {
        done += state.state == BatchJobState::Done ? 1 : 0;
        failed += state.state == BatchJobState::Failed ? 1 : 0;
        notStarted += state.state == BatchJobState::NotStarted ? 1 : 0;
    }
    // The table is still the scan's: a new location or firmware shows after the next scan.
    summary_->setText(QStringLiteral("Batch finished: %1 done, %2 failed, %3 not started. Scan again to see what changed.")
                          .arg(done)
                          .arg(failed)
                          .arg(notStarted));
    updateButtons();
}

void UnitsWindow::updateButtons()
{
    const bool scanning = scan_.isRunning();
    const bool working = batch_.isRunning();
    const qsizetype selected = selectedRows().size();
    scanButton_->setEnabled(!scanning && !working);
    cancelButton_->setEnabled(scanning || working);
    useButton_->setEnabled(selected == 1);
    exportButton_->setEnabled(table_->rowCount() > 0);
    for (QPushButton *button : actionButtons_)
        button->setEnabled(selected > 0 && !scanning && !working);
}
