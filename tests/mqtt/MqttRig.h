#pragma once

// Real mosquitto, mosquitto_sub and mosquitto_pub around the bridge under test, on 127.44.x.x.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <pwd.h>
#include <unistd.h>

#ifndef MOSQUITTO_PATH
#error "MOSQUITTO_PATH names the broker"
#endif

inline const QString BrokerAddress = QStringLiteral("127.44.0.1");

// A mosquitto of the test's own: its configuration, files and process.
class Broker {
public:
    Broker(QTemporaryDir &dir, int port, const QString &extraConfig)
        : dir_(dir), port_(port), config_(dir.filePath(QStringLiteral("mosquitto-%1.conf").arg(port)))
    {
        QFile file(config_);
        if (file.open(QIODevice::WriteOnly))
            // Started as root, mosquitto would change to its own user, who cannot read the test's files.
            file.write(QStringLiteral("listener %1 %2\npersistence false\nlog_dest stderr\nuser %3\n%4\n")
                           .arg(port).arg(BrokerAddress, QString::fromLocal8Bit(getpwuid(getuid())->pw_name), extraConfig)
                           .toUtf8());
    }
    ~Broker() { stop(); }

    bool start()
    {
        process_ = std::make_unique<QProcess>();
        process_->setProcessChannelMode(QProcess::MergedChannels);
        process_->start(QStringLiteral(MOSQUITTO_PATH), {"-c", config_});
        if (!process_->waitForStarted(5000))
            return false;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            QTcpSocket probe;
            probe.connectToHost(BrokerAddress, quint16(port_));
            if (probe.waitForConnected(200))
                return true;
            if (process_->state() != QProcess::Running)
                break;
            QTest::qWait(50);
        }
        qWarning() << "mosquitto did not listen:" << process_->readAll();
        return false;
    }
    void stop()
    {
        if (!process_)
            return;
        process_->terminate();
        if (!process_->waitForFinished(5000))
            process_->kill();
        process_->waitForFinished(2000);
        process_.reset();
    }
    int port() const { return port_; }

private:
    QTemporaryDir &dir_;
    int port_;
    QString config_;
    std::unique_ptr<QProcess> process_;
};

// How the client tools reach the broker: address, port, and the user or the CA.
struct ClientArgs {
    QStringList arguments;

    QStringList sub(const QStringList &topics, int count, int timeoutS) const
    {
        QStringList list = arguments + QStringList{"-v", "-C", QString::number(count), "-W", QString::number(timeoutS)};
        for (const QString &topic : topics)
            list << "-t" << topic;
        return list;
    }
};

// A subscriber may end while the test spins the event loop; waitForFinished() then says false.
inline bool ended(QProcess &process, int timeoutMs)
{
    return process.state() == QProcess::NotRunning || process.waitForFinished(timeoutMs);
}

// mosquitto_sub until `count` messages or the time-out: "topic payload" lines.
inline QStringList subscribe(const ClientArgs &client, const QStringList &topics, int count, int timeoutS = 10)
{
    QProcess sub;
    sub.start(QStringLiteral("mosquitto_sub"), client.sub(topics, count, timeoutS));
    sub.waitForFinished((timeoutS + 5) * 1000);
    return QString::fromUtf8(sub.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

inline bool publish(const ClientArgs &client, const QString &topic, const QByteArray &payload)
{
    QProcess pub;
    QStringList arguments = client.arguments + QStringList{"-t", topic, "-q", "1"};
    if (payload.isEmpty())
        arguments << "-n";
    else
        arguments << "-s"; // the payload from standard input, byte for byte
    pub.start(QStringLiteral("mosquitto_pub"), arguments);
    pub.write(payload);
    pub.closeWriteChannel();
    return pub.waitForFinished(10000) && pub.exitCode() == 0;
}

// The payload of the first line for `topic`, or a null array.
inline QByteArray payloadOf(const QStringList &lines, const QString &topic)
{
    for (const QString &line : lines) {
        if (line.startsWith(topic + u' '))
            return line.mid(topic.size() + 1).toUtf8();
    }
    return {};
}

// A helper program run to its end, its output kept out of the test's log; its exit status.
inline int runQuietly(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
