#pragma once

#include <QProcess>
#include <QStringList>
#include <QtGlobal>

#ifndef ZORCTL_PATH
#error "ZORCTL_PATH names the zorctl under test"
#endif

// A program's text output with its line ends as on Linux: Windows's text mode writes CR LF.
inline QByteArray textLines(QByteArray text)
{
#ifdef Q_OS_WIN
    text.replace("\r\n", "\n");
#endif
    return text;
}

// One zorctl process run to its end, as a script would see it.
struct ZorCtlRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline ZorCtlRun zorctl(const QStringList &arguments, int timeoutMs = 60000)
{
    QProcess process;
    process.start(QStringLiteral(ZORCTL_PATH), arguments);
    if (!process.waitForFinished(timeoutMs))
        qFatal("zorctl did not finish");
    return {process.exitCode(), textLines(process.readAllStandardOutput()), textLines(process.readAllStandardError())};
}
