// zorwifi-mqtt: the units on an MQTT broker, with Home Assistant discovery.

#include "Bridge.h"
#include "BridgeOptions.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int UsageError = 2;
constexpr int StopPollMs = 200;

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void requestStop(int)
{
    stopRequested = 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zorwifi-mqtt"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZORWIFI_VERSION));
    qSetMessagePattern(QStringLiteral("%{if-warning}warning: %{endif}%{if-critical}error: %{endif}%{message}"));

    BridgeOptions options = readBridgeOptions(QCoreApplication::arguments());
    if (!options.error.isEmpty()) {
        QTextStream(stderr) << "zorwifi-mqtt: " << options.error << Qt::endl;
        return UsageError;
    }
    options.broker.clientId = QStringLiteral("zorwifi-mqtt-%1").arg(::getpid());
    // Each unit's thread holds descriptors of its own: many units outgrow a shell's soft limit of 1024.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }

    MqttClient client(options.broker);
    Bridge bridge(client, options.topics);
    QString error;
    if (!client.start(error)) {
        QTextStream(stderr) << "zorwifi-mqtt: " << error << Qt::endl;
        return 1;
    }
    QTextStream(stderr) << "zorwifi-mqtt: " << options.addresses.size() << " units, every " << options.intervalMs
                        << " ms, broker " << options.broker.host << ':' << options.broker.port
                        << (options.broker.tlsCaFile.isEmpty() ? "" : " (TLS)") << Qt::endl;
    bridge.startUnits(options.addresses, options.intervalMs);

    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    QTimer stopWatch;
    QObject::connect(&stopWatch, &QTimer::timeout, &app, [&] {
        if (stopRequested)
            app.quit();
    });
    stopWatch.start(StopPollMs);
    const int status = app.exec();
    bridge.stopUnits();
    client.stop();
    return status;
}
