#include "UnitsWindow.h"

#include "Dialogs.h"
#include "SubnetTexts.h"
#include "TextFileWriter.h"
#include "UnitSightingsCsv.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>

namespace {

const QString Caption = QStringLiteral("Units");
constexpr int NoteColumn = 8;

QPushButton *namedButton(const QString &name, const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QStringList rowTexts(const UnitSighting &unit)
{
    const QString rssi = unit.rssi != 0 ? QString::number(unit.rssi) + QStringLiteral(" dBm") : QString();
    return {unit.address, unit.model, unit.mac, unit.location, unit.firmware, unit.sd, rssi, unit.wifiMode};
}

} // namespace

UnitsWindow::UnitsWindow(Dialogs &dialogs, const QStringList &defaultSubnets, QWidget *parent)
    : QDialog(parent)
    , dialogs_(dialogs)
    , subnetEdit_(new QLineEdit(defaultSubnets.join(u' '), this))
    , scanButton_(namedButton(QStringLiteral("ScanButton"), QStringLiteral("Scan"), this))
    , cancelButton_(namedButton(QStringLiteral("CancelButton"), QStringLiteral("Cancel"), this))
    , progress_(new QProgressBar(this))
    , summary_(new QLabel(this))
    , table_(new QTableWidget(0, NoteColumn + 1, this))
    , useButton_(namedButton(QStringLiteral("UseButton"), QStringLiteral("Use"), this))
    , exportButton_(namedButton(QStringLiteral("ExportButton"), QStringLiteral("Export CSV…"), this))
{
    setObjectName(QStringLiteral("UnitsWindow"));
    setWindowTitle(Caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(900, 380);

    subnetEdit_->setObjectName(QStringLiteral("SubnetEdit"));
    subnetEdit_->setPlaceholderText(QStringLiteral("e.g. 192.168.1.0/24"));
    subnetEdit_->setToolTip(QStringLiteral("One or more IPv4 subnets, separated by spaces or commas; none wider than /16"));
    progress_->setObjectName(QStringLiteral("ScanProgress"));
    progress_->setFormat(QStringLiteral("%v / %m"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setTextVisible(false); // no count before a scan
    summary_->setObjectName(QStringLiteral("ScanSummary"));
    summary_->setTextFormat(Qt::PlainText); // may quote what was typed
    table_->setObjectName(QStringLiteral("UnitTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Address"), QStringLiteral("Model"), QStringLiteral("MAC"),
                                       QStringLiteral("Location"), QStringLiteral("Firmware"), QStringLiteral("SD"),
                                       QStringLiteral("RSSI"), QStringLiteral("Wi-Fi mode"), QStringLiteral("Note")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch); // the location
    auto *closeButton = namedButton(QStringLiteral("CloseButton"), QStringLiteral("Close"), this);

    auto *subnets = new QHBoxLayout;
    subnets->addWidget(new QLabel(QStringLiteral("Subnets:"), this));
    subnets->addWidget(subnetEdit_, 1);
    subnets->addWidget(scanButton_);
    subnets->addWidget(cancelButton_);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(useButton_);
    buttons->addWidget(exportButton_);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(subnets);
    layout->addWidget(progress_);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    layout->addLayout(buttons);

    chooseExportPath = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Export CSV"), QStringLiteral("units.csv"),
                                            QStringLiteral("CSV files (*.csv);;All files (*)"));
    };
    connect(subnetEdit_, &QLineEdit::returnPressed, this, &UnitsWindow::startScan);
    connect(scanButton_, &QPushButton::clicked, this, &UnitsWindow::startScan);
    connect(cancelButton_, &QPushButton::clicked, this, &UnitsWindow::cancelScan);
    connect(useButton_, &QPushButton::clicked, this, &UnitsWindow::useSelected);
    connect(exportButton_, &QPushButton::clicked, this, &UnitsWindow::exportCsv);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(table_, &QTableWidget::cellDoubleClicked, this, &UnitsWindow::useSelected);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &UnitsWindow::updateButtons);
    connect(&scan_, &UnitScan::progress, this, &UnitsWindow::onProgress);
    connect(&scan_, &UnitScan::sighted, this, &UnitsWindow::showSightings);
    connect(&scan_, &UnitScan::finished, this, &UnitsWindow::onFinished);
    updateButtons();
}

void UnitsWindow::startScan()
{
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
    cancelled_ = scan_.isRunning();
    scan_.cancel();
}

void UnitsWindow::useSelected()
{
    const int row = table_->currentRow();
    if (row < 0 || !table_->item(row, 0))
        return;
    emit useAddress(table_->item(row, 0)->text());
}

void UnitsWindow::exportCsv()
{
    const QString path = chooseExportPath ? chooseExportPath() : QString();
    if (path.isEmpty())
        return;
    const QString error = writeTextFile(path, sightingsCsv(scan_.sightings()));
    if (!error.isEmpty())
        dialogs_.messageBox(QStringLiteral("Cannot export the units to %1: %2").arg(path, error), Caption, Dialogs::Error);
}

void UnitsWindow::done(int result)
{
    cancelScan(); // closing the window ends its scan
    QDialog::done(result);
}

void UnitsWindow::showSightings()
{
    const QString selected = table_->currentRow() >= 0 ? table_->item(table_->currentRow(), 0)->text() : QString();
    const QList<UnitSighting> sightings = scan_.sightings();
    const QStringList wifi = wifiAddresses ? wifiAddresses() : QStringList();
    table_->setRowCount(int(sightings.size()));
    for (int row = 0; row < sightings.size(); ++row) {
        QStringList texts = rowTexts(sightings[row]);
        const QString note = wifiAddresses ? SubnetTexts::rowNote(texts[0], wifi) : QString();
        texts << note;
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

void UnitsWindow::updateButtons()
{
    const bool running = scan_.isRunning();
    scanButton_->setEnabled(!running);
    cancelButton_->setEnabled(running);
    useButton_->setEnabled(table_->currentRow() >= 0 && !table_->selectedItems().isEmpty());
    exportButton_->setEnabled(table_->rowCount() > 0);
}
