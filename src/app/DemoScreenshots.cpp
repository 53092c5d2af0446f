#include "DemoScreenshots.h"

#include "Dialogs.h"
#include "LogViewer.h"
#include "MonitorWindow.h"
#include "ToolWindows.h"
#include "UnitSession.h"
#include "UnitsWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTextStream>
#include <QTimer>
#include <functional>
#include <memory>
#include <utility>

namespace {

constexpr int LinkWatchMs = 10;

// Runs `linked` once, at the first watch tick that finds the session linked.
void whenLinked(const UnitSession &session, QObject &owner, std::function<void()> linked)
{
    auto *watch = new QTimer(&owner);
    QObject::connect(watch, &QTimer::timeout, &owner, [watch, &session, linked = std::move(linked)] {
        if (!session.status.linked)
            return;
        watch->stop();
        linked();
    });
    watch->start(LinkWatchMs);
}

void quitSaved(bool saved, const QString &path)
{
    if (!saved)
        QTextStream(stderr) << "zorwifi-demo: cannot write " << path << Qt::endl;
    QCoreApplication::exit(saved ? 0 : 1);
}

} // namespace

void watchFirstLink(const UnitSession &session, QWidget &monitor, QWidget &shown, const QString &unit,
                    const QString &screenshotPath, const QString &alarmMode)
{
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    whenLinked(session, monitor, [started, &shown, unit, screenshotPath, alarmMode] {
        QTextStream(stderr) << "zorwifi-demo: linked to " << unit << " after " << started->elapsed()
                            << " ms" << Qt::endl;
        if (screenshotPath.isEmpty())
            return;
        shown.show();
        if (!alarmMode.isEmpty())
            if (auto *selector = shown.findChild<QComboBox *>(QStringLiteral("ComboBox1")))
                selector->setCurrentText(alarmMode);
        QCoreApplication::processEvents(); // lets the layouts settle before the picture
        quitSaved(shown.grab().save(screenshotPath), screenshotPath);
    });
}

void openWindowsOnceLinked(const UnitSession &session, ToolWindows &windows)
{
    whenLinked(session, windows.monitor, [&windows] {
        for (QWidget *window : std::initializer_list<QWidget *>{&windows.setup, &windows.audioEditor}) {
            window->show();
            QCoreApplication::processEvents();
            window->hide();
        }
        QTextStream(stderr) << "zorwifi-demo: all windows opened" << Qt::endl;
    });
}

void shootSatelliteOnLink(const UnitSession &session, MonitorWindow &monitor, Satellite satellite, const QString &path)
{
    whenLinked(session, monitor, [satellite, path, &monitor] {
        const bool units = satellite != Satellite::Log;
        units ? monitor.onUnitsClicked() : monitor.onLogClicked();
        QWidget *shown = units ? static_cast<QWidget *>(monitor.findChild<UnitsWindow *>()) : monitor.findChild<LogViewer *>();
        const auto save = [shown, path] { quitSaved(shown->grab().save(path), path); };
        if (!units) {
            QTimer::singleShot(3500, shown, save); // a status poll or so
            return;
        }
        auto *window = static_cast<UnitsWindow *>(shown);
        QObject::connect(&window->scan(), &UnitScan::finished, window, [window, save, satellite] {
            auto *table = window->findChild<QTableWidget *>(QStringLiteral("UnitTable"));
            table->setFocus();
            if (satellite == Satellite::Units) {
                table->selectRow(0);
                QTimer::singleShot(100, window, save);
                return;
            }
            // Every unit gets its floor; the picture is taken once all but the slowest are done.
            UnitsBatch &batch = window->batch();
            batch.prompts.locationPattern = [] { return QStringLiteral("Floor {n}"); };
            auto shot = std::make_shared<bool>(false);
            auto shootOnce = [window, table, save, shot] {
                if (std::exchange(*shot, true))
                    return;
                table->clearSelection(); // the results in their own colours
                window->resize(1150, window->height());
                QTimer::singleShot(100, window, save);
            };
            QObject::connect(&batch, &UnitsBatch::resultChanged, window, [&batch, table, shootOnce] {
                int running = 0, done = 0;
                for (int row = 0; row < table->rowCount(); ++row) {
                    const QString result = batch.result(table->item(row, 0)->text());
                    running += result.startsWith(QStringLiteral("running")) ? 1 : 0;
                    done += result == QStringLiteral("done") ? 1 : 0;
                }
                if (running == 1 && done == table->rowCount() - 1)
                    shootOnce();
            });
            QObject::connect(&batch, &UnitsBatch::finished, window, shootOnce);
            table->selectAll();
            // A moment on the scanned table first: the screenshot script turns one unit silent meanwhile.
            QTimer::singleShot(1000, window, [window] {
                window->findChild<QPushButton *>(QStringLiteral("SetLocationButton"))->click();
            });
        });
        window->startScan();
    });
}

void saveBoxScreenshot(Dialogs &dialogs, const QString &path)
{
    auto *watch = new QTimer(qApp);
    QObject::connect(watch, &QTimer::timeout, [watch, path] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        watch->stop();
        // The window manager decorates the box a moment after it maps.
        QTimer::singleShot(1000, box, [box, path] {
            const QRect frame = box->frameGeometry().adjusted(-4, -4, 4, 4);
            const bool saved = QGuiApplication::primaryScreen()
                                   ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
                                   .save(path);
            box->done(0);
            quitSaved(saved, path);
        });
    });
    watch->start(LinkWatchMs);
    const QString verdict = QStringLiteral("F/W update Complete! Reboot to take effect");
    dialogs.messageBox(verdict, verdict, Dialogs::Plain);
}
