#pragma once

#include <QString>
#include <cstdio>

// Writes a line of text to stdout or stderr without losing characters: on Windows a console gets UTF-16
// and a pipe or file gets UTF-8 (the ANSI code page cannot hold every name); elsewhere the locale's encoding.
void writeConsoleLine(std::FILE *stream, const QString &line);
