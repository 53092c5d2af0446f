#include "WifiCredentialsPlans.h"

#include "SingleByteText.h"

namespace {

constexpr int MaxSsidBytes = 31;
constexpr int MinKeyBytes = 8;
constexpr int MaxKeyBytes = 16; // whatever the error text says

struct CheckedCredentials {
    QByteArray ssid;
    QByteArray key;
    KeyType keyType;
};

QString keyTypeName(KeyType type)
{
    switch (type) {
    case KeyType::Open:
        return "OPEN";
    case KeyType::Wep:
        return "WEP";
    case KeyType::Wpa:
        break;
    }
    return "WPA/WPA2";
}

// Both groups share the rules and the error text; the lengths go to the log as they are checked.
SetupResult check(const CheckedCredentials &checked)
{
    SetupResult result;
    if (!checked.ssid.isEmpty())
        result.log << QString::number(checked.ssid.size());
    if (!checked.key.isEmpty())
        result.log << QString::number(checked.key.size());

    const bool ssidValid = !checked.ssid.isEmpty() && checked.ssid.size() <= MaxSsidBytes;
    const bool keyValid = checked.key.size() >= MinKeyBytes && checked.key.size() <= MaxKeyBytes;
    if (!ssidValid || (checked.keyType != KeyType::Open && !keyValid)) {
        result.faultyInput = ssidValid ? SetupInput::Key : SetupInput::Ssid;
        result.error = SetupMessage::errorFound("    . SSID must less then 31 chars.\n"
                                                "    . Key must around chars  8~14.\n"
                                                "    . If Open type selected, Key can be ignore.");
    }
    return result;
}

QString confirmationText(const QString &question, const CheckedCredentials &checked)
{
    return question + "\n    . SSID: " + fromSingleByte(checked.ssid) + "\n" + "    . Type: ["
        + QString::number(int(checked.keyType)) + "] " + keyTypeName(checked.keyType) + "\n"
        + "    . KEY: " + fromSingleByte(checked.key);
}

SetupStep keyStep(const CheckedCredentials &checked, const QString &fileName, const QString &logName)
{
    if (checked.keyType == KeyType::Open)
        return SetupStep::deleteFlashFile(fileName);
    return SetupStep::writeFlashFile(fileName, checked.key).logging(logName + " =" + fromSingleByte(checked.key));
}

SetupStep pausedWrite(const QString &fileName, const QByteArray &bytes, const QString &logLine)
{
    return SetupStep::writeFlashFile(fileName, bytes).after(SetupStep::Pause::BetweenConfigFiles).logging(logLine);
}

} // namespace

QString keyTypeName(std::uint8_t code, bool accessPoint)
{
    if (code == std::uint8_t(KeyType::Open))
        return keyTypeName(KeyType::Open);
    return keyTypeName(code == std::uint8_t(KeyType::Wep) && !accessPoint ? KeyType::Wep : KeyType::Wpa);
}

SetupResult planAccessPoint(const WifiCredentials &credentials)
{
    const CheckedCredentials checked{toSingleByte(credentials.ssid), toSingleByte(credentials.key),
                                     credentials.keyType == KeyType::Open ? KeyType::Open : KeyType::Wpa};
    SetupResult result = check(checked);
    if (!result.accepted())
        return result;

    result.plan.confirmation = SetupMessage::confirm(confirmationText("Modify AP SSID, execute?", checked));
    result.plan.steps = {
        keyStep(checked, "/local/ap_key.cfg", "AP_KEY"),
        pausedWrite("/local/ap_ssid.cfg", checked.ssid, "AP_SSID =" + fromSingleByte(checked.ssid)),
    };
    result.plan.completion = SetupMessage::information("AP SSID write complete,\n    . Manual Reboot to take effect!");
    return result;
}

SetupResult planStation(const WifiCredentials &credentials)
{
    const CheckedCredentials checked{toSingleByte(credentials.ssid), toSingleByte(credentials.key),
                                     credentials.keyType};
    SetupResult result = check(checked);
    if (!result.accepted())
        return result;

    const auto code = std::uint8_t(checked.keyType);
    result.plan.confirmation = SetupMessage::confirm(confirmationText("Modify STA SSID, execute?", checked));
    result.plan.steps = {
        keyStep(checked, "/local/sta_key.cfg", "STA_KEY"),
        pausedWrite("/local/sta_keyT.cfg", QByteArray(1, char(code)), "STA_KTYPE =" + QString::number(code)),
        pausedWrite("/local/sta_ssid.cfg", checked.ssid, "STA_SSID =" + fromSingleByte(checked.ssid)),
    };
    result.plan.completion = SetupMessage::information("STA SSID write complete,\n    . Manual Reboot to take effect!");
    return result;
}
