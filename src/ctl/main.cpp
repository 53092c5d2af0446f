#include "ZorCtl.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runZorCtl(app.arguments().mid(1));
}
