#include "AudioEditorWindow.h"

#include "ScratchFolder.h"

#include <QDir>

AudioEditorWindow::AudioEditorWindow(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("ZOR Audio Editor"));
    setModal(true);
    setFixedSize(1208, 602);
    // A scratch folder left by an earlier run goes at start; only the tool's own is ever removed.
    ScratchFolder::removeIfMarked(ScratchFolder::pathIn(QDir::currentPath()));
}
