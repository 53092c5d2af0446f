#pragma once

// What the demo does once linked for the screenshots and benchmarks: each quits the demo when done.

#include <QString>

class Dialogs;
class MonitorWindow;
class QWidget;
class ToolWindows;
class UnitSession;

// Tells once on stderr when the first device information is shown (the benchmarks wait for
// this line), and takes the screenshot of `shown` when one was asked for.
void watchFirstLink(const UnitSession &session, QWidget &monitor, QWidget &shown, const QString &unit,
                    const QString &screenshotPath, const QString &alarmMode);

// For the memory benchmark: once linked, every window is opened and closed again, so that
// all that the windows build is there; says so on stderr.
void openWindowsOnceLinked(const UnitSession &session, ToolWindows &windows);

enum class Satellite { Log, Units, UnitsBatch };
// Opens the Units window (and scans, and for UnitsBatch sets every unit's location) or the Log
// viewer once linked, and saves it when it has something to show.
void shootSatelliteOnLink(const UnitSession &session, MonitorWindow &monitor, Satellite satellite, const QString &path);

// The screen around a message box, frame and caption included: what a window manager shows.
void saveBoxScreenshot(Dialogs &dialogs, const QString &path);
