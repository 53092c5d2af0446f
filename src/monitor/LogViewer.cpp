#include "LogViewer.h"

#include "Dialogs.h"
#include "LinkLogCapture.h"
#include "TextFileWriter.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

namespace {
const QString Caption = QStringLiteral("Link log");
} // namespace

LogViewer::LogViewer(LinkLogCapture &capture, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent)
    , capture_(capture)
    , dialogs_(dialogs)
    , filterEdit_(new QLineEdit(this))
    , followBox_(new QCheckBox(QStringLiteral("Follow"), this))
    , saveButton_(new QPushButton(QStringLiteral("Save…"), this))
    , lines_(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("LogViewer"));
    setWindowTitle(Caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(720, 440);

    filterEdit_->setObjectName(QStringLiteral("LogFilter"));
    filterEdit_->setPlaceholderText(QStringLiteral("Filter"));
    filterEdit_->setClearButtonEnabled(true);
    followBox_->setObjectName(QStringLiteral("LogFollow"));
    followBox_->setChecked(true);
    saveButton_->setObjectName(QStringLiteral("LogSave"));
    saveButton_->setAutoDefault(false);
    lines_->setObjectName(QStringLiteral("LogLines"));
    lines_->setReadOnly(true);
    lines_->setLineWrapMode(QPlainTextEdit::NoWrap);
    lines_->setMaximumBlockCount(LinkLogCapture::Capacity);
    lines_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto *tools = new QHBoxLayout;
    tools->addWidget(filterEdit_, 1);
    tools->addWidget(followBox_);
    tools->addWidget(saveButton_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(lines_, 1);

    chooseSavePath = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Save log"), QStringLiteral("zor-link.log"),
                                            QStringLiteral("Log files (*.log);;All files (*)"));
    };
    connect(filterEdit_, &QLineEdit::textChanged, this, &LogViewer::refill);
    connect(followBox_, &QCheckBox::toggled, this, &LogViewer::scrollToEndIfFollowing);
    connect(saveButton_, &QPushButton::clicked, this, &LogViewer::save);
    connect(&capture_, &LinkLogCapture::lineAdded, this, &LogViewer::addLine);
    refill();
}

QStringList LogViewer::shownLines() const
{
    const QString text = lines_->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

void LogViewer::save()
{
    const QString path = chooseSavePath ? chooseSavePath() : QString();
    if (path.isEmpty())
        return;
    QString text = lines_->toPlainText();
    if (!text.isEmpty())
        text += u'\n';
    const QString error = writeTextFile(path, text);
    if (!error.isEmpty())
        dialogs_.messageBox(QStringLiteral("Cannot save the log to %1: %2").arg(path, error), Caption, Dialogs::Error);
}

void LogViewer::addLine(const QString &line)
{
    if (!matches(line))
        return;
    // Appending moves the view only when it already stands at the end; follow mode keeps it there.
    QScrollBar *bar = lines_->verticalScrollBar();
    const int kept = bar->value();
    lines_->appendPlainText(line);
    if (followBox_->isChecked())
        bar->setValue(bar->maximum());
    else
        bar->setValue(kept);
}

void LogViewer::refill()
{
    QStringList shown;
    for (const QString &line : capture_.lines()) {
        if (matches(line))
            shown.append(line);
    }
    lines_->setPlainText(shown.join(u'\n'));
    scrollToEndIfFollowing();
}

bool LogViewer::matches(const QString &line) const
{
    return line.contains(filterEdit_->text(), Qt::CaseInsensitive);
}

void LogViewer::scrollToEndIfFollowing()
{
    if (followBox_->isChecked())
        lines_->verticalScrollBar()->setValue(lines_->verticalScrollBar()->maximum());
}
