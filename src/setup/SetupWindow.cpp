#include "SetupWindow.h"

SetupWindow::SetupWindow(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("ZOR.Setup"));
    setModal(true);
    setFixedSize(705, 433);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
}
