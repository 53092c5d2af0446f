#include "QtDialogs.h"

#include "FileFilter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

int QtDialogs::messageBox(const QString &text, const QString &caption, int flags)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    switch (flags) {
    case Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case YesNoQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case Warning:
    case YesNoWarning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    if (flags == YesNoQuestion || flags == YesNoWarning) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Yes : No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Ok;
}

QString QtDialogs::openFile(const QString &defaultExtension, const QString &filter)
{
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDefaultSuffix(qtDefaultSuffix(defaultExtension));
    dialog.setNameFilter(qtNameFilters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

QString QtDialogs::chooseFolder(const QString &caption, const QString &start)
{
    return QDir::toNativeSeparators(QFileDialog::getExistingDirectory(QApplication::activeWindow(), caption, start));
}
