#include "PrometheusTargets.h"

#include "UnitTexts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QByteArray prometheusTargets(const QList<UnitSighting> &sightings)
{
    QJsonArray groups;
    for (const UnitSighting &unit : sightings)
        groups.append(QJsonObject{
            {"targets", QJsonArray{unit.address}},
            // The exporter words its labels the same way, so both agree on a unit.
            {"labels", QJsonObject{{"model", unit.model}, {"mac", unit.mac},
                                   {"location", UnitTexts::visibleText(unit.location)}}},
        });
    return QJsonDocument(groups).toJson(QJsonDocument::Indented);
}
