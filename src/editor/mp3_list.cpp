#include "mp3_list.h"

TForm3::TForm3(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("ZOR Audio Editor"));
    setModal(true);
    setFixedSize(1208, 602);
}
