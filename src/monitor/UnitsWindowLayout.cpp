#include "UnitsWindow.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

namespace {

QPushButton *namedButton(const QString &name, const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// The changes of every unit, scrollable, before anything is written.
bool confirmChangesDialog(QWidget *parent, const QString &changes)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("ProfileChangesDialog"));
    dialog.setWindowTitle(QStringLiteral("Apply profile"));
    auto *text = new QPlainTextEdit(changes, &dialog);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Yes | QDialogButtonBox::No, &dialog);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Write these changes to the units that differ?"), &dialog));
    layout->addWidget(text, 1);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.resize(640, 420);
    return dialog.exec() == QDialog::Accepted;
}

UnitsBatch::ReportKind askReportKind(QWidget *parent)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Commissioning report"),
                    QStringLiteral("One report per unit into a folder, or one report for the site?"), QMessageBox::Cancel, parent);
    QAbstractButton *perUnit = box.addButton(QStringLiteral("One per unit…"), QMessageBox::AcceptRole);
    QAbstractButton *site = box.addButton(QStringLiteral("One for the site…"), QMessageBox::AcceptRole);
    box.exec();
    return box.clickedButton() == perUnit ? UnitsBatch::ReportKind::PerUnit
         : box.clickedButton() == site    ? UnitsBatch::ReportKind::Site
                                          : UnitsBatch::ReportKind::Cancelled;
}

} // namespace

UnitsWindow::UnitsWindow(Dialogs &dialogs, const QStringList &defaultSubnets, QWidget *parent)
    : QDialog(parent), dialogs_(dialogs), batch_(dialogs)
{
    setObjectName(QStringLiteral("UnitsWindow"));
    setWindowTitle(QStringLiteral("Units"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(1000, 420);
    buildLayout(defaultSubnets);
    setQtPrompts();
    connectBatch();
    updateButtons();
}

void UnitsWindow::buildLayout(const QStringList &defaultSubnets)
{
    subnetEdit_ = new QLineEdit(defaultSubnets.join(u' '), this);
    scanButton_ = namedButton(QStringLiteral("ScanButton"), QStringLiteral("Scan"), this);
    cancelButton_ = namedButton(QStringLiteral("CancelButton"), QStringLiteral("Cancel"), this);
    progress_ = new QProgressBar(this);
    summary_ = new QLabel(this);
    table_ = new QTableWidget(0, ResultColumn + 1, this);
    useButton_ = namedButton(QStringLiteral("UseButton"), QStringLiteral("Use"), this);
    exportButton_ = namedButton(QStringLiteral("ExportButton"), QStringLiteral("Export CSV…"), this);

    subnetEdit_->setObjectName(QStringLiteral("SubnetEdit"));
    subnetEdit_->setPlaceholderText(QStringLiteral("e.g. 192.168.1.0/24"));
    subnetEdit_->setToolTip(QStringLiteral("One or more IPv4 subnets, separated by spaces or commas; none wider than /16"));
    cancelButton_->setToolTip(QStringLiteral("Stops the scan, or starts no further unit of the batch; running units finish their files"));
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
                                       QStringLiteral("RSSI"), QStringLiteral("Wi-Fi mode"), QStringLiteral("Note"),
                                       QStringLiteral("Result")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection); // several, or all with Ctrl+A
    table_->verticalHeader()->hide();
    table_->setWordWrap(false); // a long reason ends in "…", whole in its tooltip
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch); // the location
    table_->horizontalHeader()->setSectionResizeMode(ResultColumn, QHeaderView::Stretch);
    auto *closeButton = namedButton(QStringLiteral("CloseButton"), QStringLiteral("Close"), this);

    const std::pair<QString, QString> actions[] = {
        {QStringLiteral("WriteProjectButton"), QStringLiteral("Write project…")},
        {QStringLiteral("ApplyProfileButton"), QStringLiteral("Apply profile…")},
        {QStringLiteral("SetLocationButton"), QStringLiteral("Set location…")},
        {QStringLiteral("BackUpButton"), QStringLiteral("Back up to folder…")},
        {QStringLiteral("UpdateFirmwareButton"), QStringLiteral("Update firmware…")},
        {QStringLiteral("RestartButton"), QStringLiteral("Restart")},
        {QStringLiteral("ReportButton"), QStringLiteral("Commissioning report…")},
    };
    auto *batchRow = new QHBoxLayout;
    batchRow->addWidget(new QLabel(QStringLiteral("Selected units:"), this));
    for (const auto &[name, text] : actions) {
        actionButtons_ << namedButton(name, text, this);
        batchRow->addWidget(actionButtons_.back());
    }
    batchRow->addStretch(1);

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
    layout->addLayout(batchRow);
    layout->addLayout(buttons);

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
}

void UnitsWindow::setQtPrompts()
{
    chooseExportPath = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Export CSV"), QStringLiteral("units.csv"),
                                            QStringLiteral("CSV files (*.csv);;All files (*)"));
    };
    batch_.prompts.locationPattern = [this] {
        return QInputDialog::getText(this, QStringLiteral("Set location"),
                                     QStringLiteral("Location of each selected unit; {n} is its place in the selection, "
                                                    "{mac} its MAC, {address} its address:"));
    };
    batch_.prompts.reportKind = [this] { return askReportKind(this); };
    batch_.prompts.siteReportFile = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Site report"), QStringLiteral("site.pdf"),
                                            QStringLiteral("PDF (*.pdf);;HTML (*.html)"));
    };
    batch_.prompts.confirmChanges = [this](const QString &changes) { return confirmChangesDialog(this, changes); };
}

void UnitsWindow::connectBatch()
{
    void (UnitsBatch::*const actions[])(const QList<UnitSighting> &) = {
        &UnitsBatch::writeProject, &UnitsBatch::applyProfile,   &UnitsBatch::setLocation, &UnitsBatch::backUp,
        &UnitsBatch::updateFirmware, &UnitsBatch::restart, &UnitsBatch::report,
    };
    for (int i = 0; i < actionButtons_.size(); ++i)
        connect(actionButtons_[i], &QPushButton::clicked, this, [this, action = actions[i]] { onSelection(action); });
    connect(&batch_, &UnitsBatch::resultChanged, this, &UnitsWindow::showResult);
    connect(&batch_, &UnitsBatch::finished, this, &UnitsWindow::onBatchFinished);
}
