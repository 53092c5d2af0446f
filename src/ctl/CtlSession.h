#pragma once

#include "DeviceLink.h"
#include "FileTransfer.h"
#include "LinkEvents.h"
#include "UnitRead.h"
#include "ZorctlChild.h"

#include <QJsonObject>
#include <QString>
#include <cstdio>
#include <string>
#include <vector>

// Exit statuses of zorctl.
enum CtlExit { CtlDone = 0, CtlNoUsableAnswer = 1, CtlUsage = 2, CtlNoConnection = 3, CtlDiffers = 5 };

// What every command line shares: the unit's address and the output form.
struct CtlOptions {
    std::string address = std::string(DefaultSubnetPrefix) + "1";
    bool json = false;
    std::vector<std::string> siteAddresses; // a site report's units, when more than the one address
};

void printLine(std::FILE *stream, const QString &line);
// One compact JSON line on stdout.
void printJson(const QJsonObject &object);

// The monitor window's texts, as a terminal shows them: on stderr.
class TerminalEvents : public LinkEvents {
public:
    explicit TerminalEvents(const DeviceStatus &status) : status_(status) {}
    void exchanged(const ExchangeResult &result) override;
    void transferNote(const TransferNote &note) override;

private:
    const DeviceStatus &status_;
};

// The device link of one zorctl run; the address is given, so no link check runs.
class CtlSession {
public:
    explicit CtlSession(const CtlOptions &options);
    CtlSession(const CtlSession &) = delete;
    CtlSession &operator=(const CtlSession &) = delete;

    const CtlOptions options;
    DeviceStatus status;
    Timing timing;
    TerminalEvents events{status};
    DeviceLink link{status, timing};
    FileTransfer transfer{link};

    QString address() const { return QString::fromStdString(options.address); }
    // The exit status an exchange earns: 0 only when acknowledged, sent-only, or a restarting command
    // left unanswered (said on stderr); failures say why on stderr.
    int exitFor(const ExchangeResult &result) const;
    // A failed transfer: 3 when its announcement found no unit, else 1.
    int exitFor(const TransferResult &result) const;
    // Says a fault on stderr; its exit status.
    static int exitFor(const UnitFault &fault);
    // Reads the unit's device information; CtlDone when it answered for this address.
    int readDeviceInformation();
    // One JSON object with --json, else "key: value" lines.
    void print(const QJsonObject &object) const;
};
