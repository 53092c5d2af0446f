// Writes the fuzzers' seed corpora from the simulated unit's own answers and files.
// Usage: fuzz_seeds FOLDER   (makes FOLDER/dispatcher/...)
#include "UnitAnswers.h"

#include <QDir>
#include <QFile>

namespace {
void writeSeed(const QString &folder, const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(folder);
    QFile file(folder + "/" + name);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// The dispatcher's input: the expected-code selector, a firmware sum byte, then the answer.
QByteArray dispatcherInput(std::uint8_t codeIndex, const QByteArray &answer)
{
    return QByteArray(1, char(codeIndex)) + QByteArray(1, '\0') + answer;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const QString root = QString::fromLocal8Bit(argv[1]);
    UnitState unit;
    unit.address = {127, 0, 0, 5};
    unit.settings.location = "Hall 3";
    unit.settings.apSsid = "ZOR-06-WF-0001";
    unit.settings.apKeyType = 2;
    unit.settings.apKey = "secret12";
    const QString dispatcher = root + "/dispatcher";
    writeSeed(dispatcher, "device-information", dispatcherInput(2, deviceInformationAnswer(unit, unit.address)));
    writeSeed(dispatcher, "status", dispatcherInput(19, statusAnswer(unit)));
    writeSeed(dispatcher, "status-unexpected", dispatcherInput(0, statusAnswer(unit)));
    writeSeed(dispatcher, "relay", dispatcherInput(18, answerFrame(208, 6, QByteArray::fromHex("0105"))));
    writeSeed(dispatcher, "firmware-check", dispatcherInput(3, answerFrame(37, 6, QByteArray::fromHex("00000000"))));
    writeSeed(dispatcher, "file-read", dispatcherInput(12, answerFrame(91, 6, QByteArray::fromHex("00000200"))));
    writeSeed(dispatcher, "refused", dispatcherInput(1, answerFrame(29, 0x15)));
    return 0;
}
