#include "UnitSightingsCsv.h"

#include <QStringList>

namespace {

QString textField(const QString &text)
{
    QString field = text;
    // A location such as "=HYPERLINK(...)" comes from the unit; a spreadsheet must show it, not run it.
    if (!field.isEmpty() && QStringLiteral("=+-@\t\r").contains(field.front()))
        field.prepend(u'\'');
    if (field.contains(u',') || field.contains(u'"') || field.contains(u'\n') || field.contains(u'\r')) {
        field.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        field = u'"' + field + u'"';
    }
    return field;
}

} // namespace

QString sightingsCsv(const QList<UnitSighting> &sightings)
{
    QString csv = QStringLiteral("address,model,mac,location,firmware,sd,rssi,wifiMode\n");
    for (const UnitSighting &unit : sightings) {
        const QStringList fields = {textField(unit.address), textField(unit.model), textField(unit.mac),
                                    textField(unit.location), textField(unit.firmware), textField(unit.sd),
                                    unit.rssi != 0 ? QString::number(unit.rssi) : QString(), textField(unit.wifiMode)};
        csv += fields.join(u',') + u'\n';
    }
    return csv;
}
