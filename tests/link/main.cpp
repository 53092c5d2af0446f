#include <QApplication>
#include <QTest>

#include <memory>

int runDispatchTest(int argc, char **argv);
int runChannelTest(int argc, char **argv);
int runTransferTest(int argc, char **argv);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failed = 0;
    failed += runDispatchTest(argc, argv);
    failed += runChannelTest(argc, argv);
    failed += runTransferTest(argc, argv);
    return failed;
}
