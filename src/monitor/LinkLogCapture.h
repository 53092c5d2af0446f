#pragma once

#include <QLoggingCategory>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <array>
#include <atomic>
#include <deque>

// Keeps the latest lines of the link's log in memory for the log viewer. Every level of
// the category reaches it; stderr still gets exactly what the logging rules let through.
class LinkLogCapture : public QObject {
    Q_OBJECT
public:
    static constexpr int Capacity = 10000;
    // A longer line (a whole 4 KiB answer in hex) is kept cut, so the bound holds in bytes too.
    static constexpr int LineLimit = 2048;

    // Installed once, on first use, for the rest of the run.
    static LinkLogCapture &instance();

    QStringList lines() const;

signals:
    // Emitted in the thread that logged; connect with the default connection type.
    void lineAdded(const QString &line);

private:
    LinkLogCapture();
    static void filterCategory(QLoggingCategory *category);
    static void handleMessage(QtMsgType type, const QMessageLogContext &context, const QString &message);
    void keep(QtMsgType type, const QString &message);

    mutable QMutex mutex_;
    std::deque<QString> lines_;
    // What the rules in force let through to stderr, per message type.
    std::array<std::atomic_bool, 5> passedOn_{};
};
