// Writes the fuzzers' seed corpora from the simulated unit's own answers and files.
// Usage: fuzz_seeds FOLDER   (makes FOLDER/dispatcher/...)
#include "AlarmTable.h"
#include "AudioListFile.h"
#include "ProjectPointerFile.h"
#include "UnitAnswers.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <QStringEncoder>

namespace {
void writeSeed(const QString &folder, const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(folder);
    QFile file(folder + "/" + name);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// NUL-separated fields or arguments.
QByteArray fields(const QList<QByteArray> &parts)
{
    QByteArray joined;
    for (qsizetype i = 0; i < parts.size(); ++i)
        joined += (i > 0 ? QByteArray(1, '\0') : QByteArray()) + parts[i];
    return joined;
}

// The dispatcher's input: the expected-code selector, a firmware sum byte, then the answer.
QByteArray dispatcherInput(std::uint8_t codeIndex, const QByteArray &answer)
{
    return QByteArray(1, char(codeIndex)) + QByteArray(1, '\0') + answer;
}

// The read path's input: the announced length, then the steps of the unit's stream.
QByteArray readInput(quint32 length, const QByteArray &steps)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(length, bytes.data());
    return bytes + steps;
}

// Pieces of at most 128 bytes each.
QByteArray pieces(const QByteArray &content)
{
    QByteArray steps;
    for (qsizetype at = 0; at < content.size(); at += 128) {
        const QByteArray piece = content.mid(at, 128);
        steps += char(piece.size() - 1) + piece;
    }
    return steps;
}

QByteArray silence(int slices) { return QByteArray(1, char(0x80 | (slices - 1))); } // 1 to 64
const QByteArray closing("\xC0", 1);
const QByteArray failing("\xC1", 1);

QByteArray stream(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 7);
    return bytes;
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

    const QString read = root + "/read_path";
    writeSeed(read, "whole", readInput(512, pieces(stream(512)) + closing));
    writeSeed(read, "longer", readInput(100, pieces(stream(200))));
    writeSeed(read, "shorter", readInput(300, pieces(stream(100)) + closing));
    writeSeed(read, "silent", readInput(10, pieces(stream(4)) + silence(64)));
    QByteArray trickle;
    for (int i = 0; i < 20; ++i)
        trickle += silence(15) + pieces(stream(1));
    writeSeed(read, "trickled", readInput(20, trickle));
    writeSeed(read, "huge-length", readInput(0xFFFFFFFF, pieces(stream(100))));
    writeSeed(read, "failing", readInput(50, pieces(stream(10)) + failing));

    const QString project = root + "/project_files";
    AudioList list;
    list.setSource(1, "C:\\clips\\Front door.mp3");
    list.setSource(2, "/home/installer/clips/alarm.mp3");
    list.setSource(5, "005.mp3");
    writeSeed(project, "m3fn", audioListBytes(list));
    // The same list in UTF-16 by its mark, with a CR inside a line as a unit may send one.
    AudioList unitList = list;
    unitList.setSource(3, "/a\rb.mp3");
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    writeSeed(project, "m3fn-utf16", utf16(QString::fromUtf8(audioListBytes(unitList).mid(3))));
    AlarmTable table;
    InputRows rows;
    rows[0] = {{"1", "2", "None", "None"}, "3", true};
    rows[5] = {{"5", "None", "None", "None"}, "1", false};
    table.buildAlarmTable(rows, 2);
    writeSeed(project, "plist", table.image());
    writeSeed(project, "prj", projectPointerBytes("/home/installer/work/"));

    const QString setup = root + "/setup_rules";
    writeSeed(setup, "address", fields({"192.168.1.10", "255.255.255.0", "192.168.1.1"}));
    writeSeed(setup, "octal", fields({"010.0.0.09", "255.255.0.255", "10.0.0.1"}));
    writeSeed(setup, "wifi", fields({"ZOR-06-WF-XXXXXX", "secret123"}));
    writeSeed(setup, "modbus", fields({"1", "115200", "Even", "8", "1"}));

    const QString ctl = root + "/ctl_arguments";
    writeSeed(ctl, "info", fields({"--address", "127.0.0.5", "--json", "info"}));
    writeSeed(ctl, "relay", fields({"relay", "on"}));
    writeSeed(ctl, "set-ap", fields({"set", "ap", "ZOR", "wpa", "secret123"}));
    writeSeed(ctl, "static-ip", fields({"set", "static-ip", "192.168.1.10", "255.255.255.0", "192.168.1.1"}));
    writeSeed(ctl, "project-input", fields({"project", "input", "p", "3", "--clips", "1,2", "--repeat", "2", "--alarm", "on"}));
    return 0;
}
