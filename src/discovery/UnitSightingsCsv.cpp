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

QString sightingsCsv(const QList<UnitSighting> &sightings, const QHash<QString, QString> &results)
{
    QString csv = QStringLiteral("address,model,mac,location,firmware,sd,rssi,wifiMode");
    csv += results.isEmpty() ? QStringLiteral("\n") : QStringLiteral(",result\n");
    for (const UnitSighting &unit : sightings) {
        const QStringList fields = {textField(unit.address), textField(unit.model), textField(unit.mac),
                                    textField(unit.location), textField(unit.firmware), textField(unit.sd),
                                    unit.rssi != 0 ? QString::number(unit.rssi) : QString(), textField(unit.wifiMode)};
        csv += fields.join(u',');
        // A failure's reason quotes the unit's words: it gets the same care as a location.
        csv += results.isEmpty() ? QStringLiteral("\n") : u',' + textField(results.value(unit.address)) + u'\n';
    }
    return csv;
}
