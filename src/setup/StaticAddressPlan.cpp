#include "StaticAddressPlan.h"

#include "AddressLockOut.h"

namespace {

const QString StaticAddressFile = "/local/sta_ip.cfg";

SetupResult planDeletion()
{
    SetupResult result;
    result.plan.confirmation = SetupMessage::confirm("Delete Station Static IP config, execute?\n");
    result.plan.steps = {SetupStep::deleteFlashFile(StaticAddressFile)};
    result.plan.completion =
        SetupMessage::information("Station Static IP delete complete,\n    . Manual Reboot to take effect!");
    return result;
}

QByteArray fileContents(const StaticAddress &address)
{
    QByteArray bytes;
    for (const AddressBytes &part : {address.ip, address.mask, address.gateway})
        bytes.append(reinterpret_cast<const char *>(part.data()), qsizetype(part.size()));
    return bytes;
}

} // namespace

SetupResult planStaticAddress(const StaticAddressInput &input)
{
    if (!input.enabled)
        return planDeletion();

    SetupResult result;
    // The first text that fails stops the checks.
    const auto ip = readDottedAddress(input.ip);
    const auto mask = ip ? readDottedAddress(input.mask) : std::nullopt;
    const auto gateway = mask ? readDottedAddress(input.gateway) : std::nullopt;
    if (!gateway) {
        result.faultyInput = !ip ? SetupInput::Ip : !mask ? SetupInput::Mask : SetupInput::Gateway;
        result.error = SetupMessage::errorFound("    . IP, Mask, Gateway input error.\n");
        return result;
    }
    const StaticAddress address{input.ip, input.mask, input.gateway, *ip, *mask, *gateway};

    QString confirmation = "Modify Station Static IP, Mask, Gateway, execute?\n    . IP: " + input.ip + "\n"
        + "    . Mask: " + input.mask + "\n" + "    . Gateway: " + input.gateway;
    const QStringList warnings = lockOutWarnings(address);
    for (const QString &warning : warnings)
        confirmation += "\n    ! Warning: " + warning;
    if (!warnings.isEmpty())
        confirmation += "\n    ! The unit may not be reachable after its reboot.";

    result.plan.confirmation = SetupMessage::confirm(confirmation);
    result.plan.steps = {SetupStep::writeFlashFile(StaticAddressFile, fileContents(address))};
    result.plan.completion =
        SetupMessage::information("Station Static IP write complete,\n    . Manual Reboot to take effect!");
    return result;
}
