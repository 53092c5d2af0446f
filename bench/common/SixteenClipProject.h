#pragma once

// The project the many-unit benchmarks write: 16 clips of 64 KiB, entry 0 playing the first four.

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

constexpr int BenchClipCount = 16;
constexpr qsizetype BenchClipSize = 64 * 1024;

// Made in `dir` with zorctl; `zorctl` runs one command line, or ends the benchmark.
inline QString sixteenClipProject(const QTemporaryDir &dir, const std::function<void(const QStringList &)> &zorctl)
{
    const QString project = dir.filePath("project");
    zorctl({"project", "new", project});
    for (int n = 1; n <= BenchClipCount; ++n) {
        const QString clip = dir.filePath(QStringLiteral("clip%1.mp3").arg(n));
        QFile file(clip);
        if (!file.open(QIODevice::WriteOnly)
            || file.write(QByteArray("ID3\x04\0\0\0\0\0\0", 10) + QByteArray(BenchClipSize - 10, char(n))) != BenchClipSize)
            qFatal("cannot write %s", qPrintable(clip));
        file.close();
        zorctl({"project", "add-clip", project, QString::number(n), clip});
    }
    zorctl({"project", "input", project, "0", "--clips", "1", "2", "3", "4"});
    return project;
}
