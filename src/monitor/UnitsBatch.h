#pragma once

#include "BatchCommands.h"
#include "BatchRun.h"

#include <QHash>
#include <QObject>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class Dialogs;

// The Units window's batch actions, free of widgets: each asks what it needs, checks it once,
// then runs the selected units through BatchRun and keeps each unit's result.
class UnitsBatch : public QObject {
    Q_OBJECT
public:
    enum class ReportKind { Cancelled, PerUnit, Site };
    // What the Dialogs seam does not ask. The window sets Qt dialogs; tests set answers.
    struct Prompts {
        std::function<QString()> locationPattern;            // empty: cancelled
        std::function<ReportKind()> reportKind;
        std::function<QString()> siteReportFile;             // empty: cancelled
        std::function<bool(const QString &changes)> confirmChanges;
    };

    UnitsBatch(Dialogs &dialogs, QObject *parent = nullptr);

    Prompts prompts;
    BatchRun &run() { return run_; }

    void writeProject(const QList<UnitSighting> &units);
    void applyProfile(const QList<UnitSighting> &units);
    void setLocation(const QList<UnitSighting> &units);
    void backUp(const QList<UnitSighting> &units);
    void updateFirmware(const QList<UnitSighting> &units);
    void restart(const QList<UnitSighting> &units);
    void report(const QList<UnitSighting> &units);
    void cancel();
    bool isRunning() const { return run_.isRunning(); }

    // The unit's last result ("" before any batch named it), and its gauge while it runs (-1: none).
    QString result(const QString &address) const { return results_.value(address); }
    const QHash<QString, QString> &results() const { return results_; }
    int percent(const QString &address) const { return percents_.value(address, -1); }

signals:
    void resultChanged(const QString &address);
    void finished();

private:
    // Starts one job per unit, or `jobs` with the addresses each stands for.
    void start(const QList<BatchJob> &jobs, const QList<QStringList> &addresses);
    void startEach(BatchCommands::Action action, const QString &value, const QList<UnitSighting> &units);
    void setResult(const QString &address, const QString &text, int percent = -1);
    void onChanged(int job);
    void onFinished();
    void confirmProfile();
    // Runs zorctl once and waits; its stderr when it did not exit 0.
    QString checkOnce(const QStringList &arguments);
    void refuse(const QString &text);

    Dialogs &dialogs_;
    BatchRun run_;
    QList<QStringList> jobAddresses_;
    QHash<QString, QString> results_;
    QHash<QString, int> percents_;
    // Between the diff and the restore of "Apply profile…".
    QString profile_;
    QList<UnitSighting> compared_;
    // The program's channel tests, for the reports the children write.
    std::unique_ptr<QTemporaryDir> channelTests_;
};
