#include "QtDialogs.h"

#include "FileFilter.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

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
    case YesNoCancelWarning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    const bool question = asks(flags);
    if (flags == YesNoCancelWarning) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    } else if (question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    // A message box sizes itself by its text: a short text would elide a long caption in the title bar.
    // The box lays itself out anew for icons and buttons, so this comes last.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addItem(new QSpacerItem(captionWidth(caption), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    const int answer = box.exec();
    switch (answer) {
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    case QMessageBox::Cancel:
        return Cancel;
    default:
        return question ? No : Ok;
    }
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

int QtDialogs::captionWidth(const QString &caption)
{
    // Title bars often draw in bold and larger than the box's text, beside an icon and three buttons.
    constexpr int TitleBarExtras = 160;
    QFont title = QApplication::font();
    title.setBold(true);
    if (title.pointSizeF() > 0)
        title.setPointSizeF(title.pointSizeF() * 1.2);
    return QFontMetrics(title).horizontalAdvance(caption) + TitleBarExtras;
}
