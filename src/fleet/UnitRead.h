#pragma once

#include "UnitBackup.h"

#include <QString>
#include <functional>

class DeviceLink;
class FileTransfer;
struct ExchangeResult;
struct TransferResult;

// How an exchange with a unit failed, for callers that turn it into exit statuses or texts.
enum class UnitFailure { None, NotConfirmed, Refused, NoConnection, NoUsableAnswer };

struct UnitFault {
    UnitFailure kind = UnitFailure::None;
    QString text; // why, with no program name in front

    bool failed() const { return kind != UnitFailure::None; }
};

// None for an exchange that did not fail.
UnitFault faultOf(const ExchangeResult &result, const QString &address);

// Asks for the device information; a fault also when another unit answers for the address.
UnitFault deviceInformationFault(DeviceLink &link);

// What a backup reads: device information, then the SD configuration files.
struct UnitRead {
    UnitFault fault;
    UnitBackup backup; // identity, settings and files; complete only without a fault
};

// Reads one unit through `link`, with the setup window's pauses between files; prints nothing.
UnitRead readUnit(DeviceLink &link, FileTransfer &transfer);

// Reads every clip the backup's list names into `backup.clips`, handing each one's bytes to
// `keep` (which returns why it could not keep them, or nothing). A clip the unit would not
// send is recorded as missing and named in `missing`.
UnitFault readClips(DeviceLink &link, FileTransfer &transfer, UnitBackup &backup,
                    const std::function<QString(int number, const QByteArray &bytes)> &keep, QStringList &missing);

// What a comparison with `profile` needs: readUnit, and the clips when the profile's alarm holds them.
UnitRead readUnitToCompare(DeviceLink &link, FileTransfer &transfer, const UnitBackup &profile);

// A file read that failed: the fault, worded as "cannot read NAME from the unit (why)".
UnitFault readFault(const QString &name, const TransferResult &read);
// A file the unit refuses to announce is one it does not have.
bool absentOnUnit(const TransferResult &read);
