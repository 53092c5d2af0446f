#include "ZorCtl.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runZorCtl(std::vector<std::string>(argv + 1, argv + argc));
}
