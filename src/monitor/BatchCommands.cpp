#include "BatchCommands.h"

#include <QDir>

namespace BatchCommands {

namespace {

const QString Progress = QStringLiteral("--progress-lines");

QStringList at(const UnitSighting &unit, const QStringList &command, bool gauge = false)
{
    QStringList arguments;
    if (gauge)
        arguments << Progress;
    return arguments << QStringLiteral("--address") << unit.address << command;
}

} // namespace

QStringList unitArguments(Action action, const QString &value, const UnitSighting &unit, int place)
{
    switch (action) {
    case Action::WriteProject:
        return at(unit, {"project", "write", value}, true);
    case Action::DiffProfile:
        return at(unit, {"diff", value});
    case Action::ApplyProfile:
        return at(unit, {"restore", value, "--changed-only"}, true);
    case Action::SetLocation:
        return at(unit, {"set", "location", expandLocation(value, unit, place)});
    case Action::BackUp:
        return at(unit, {"backup", unitFile(value, unit, "json")}, true);
    case Action::UpdateFirmware:
        return at(unit, {"firmware", value}, true);
    case Action::Restart:
        return at(unit, {"reboot"});
    case Action::UnitReport:
        return at(unit, {"report", unitFile(value, unit, "pdf")});
    }
    return {};
}

BatchJob unitJob(Action action, const QString &value, const UnitSighting &unit, int place)
{
    BatchJob job{unitArguments(action, value, unit, place)};
    if (action == Action::DiffProfile)
        job.doneCodes = {0, 5}; // 5: the unit differs from the profile
    return job;
}

BatchJob siteReportJob(const QList<UnitSighting> &units, const QString &file)
{
    BatchJob job;
    for (const UnitSighting &unit : units)
        job.arguments << QStringLiteral("--address") << unit.address;
    job.arguments << QStringLiteral("report") << QStringLiteral("--site") << file;
    return job;
}

QStringList projectCheckArguments(const QString &folder)
{
    return {"project", "write", folder, "--check"};
}

QString expandLocation(const QString &pattern, const UnitSighting &unit, int place)
{
    // One pass: a MAC or address never holds a field, but a location the pattern builds must not be read again.
    QString text;
    for (qsizetype i = 0; i < pattern.size();) {
        bool replaced = false;
        for (const auto &[field, value] : {std::pair{QStringLiteral("{n}"), QString::number(place)},
                                           std::pair{QStringLiteral("{mac}"), unit.mac},
                                           std::pair{QStringLiteral("{address}"), unit.address}}) {
            if (QStringView(pattern).mid(i).startsWith(field)) {
                text += value;
                i += field.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            text += pattern[i++];
    }
    return text;
}

QString unitFile(const QString &folder, const UnitSighting &unit, const QString &extension)
{
    // The MAC is the unit's word: only its hex digits reach a file name.
    QString name;
    for (const QChar c : unit.mac)
        if (c.isDigit() || (c.toLower() >= u'a' && c.toLower() <= u'f'))
            name += c.toUpper();
    if (name.isEmpty())
        name = unit.address;
    return QDir(folder).filePath(name + u'.' + extension);
}

QString stateText(const BatchJobState &state)
{
    switch (state.state) {
    case BatchJobState::Waiting:
        return QStringLiteral("waiting");
    case BatchJobState::Running:
        return state.percent >= 0 ? QStringLiteral("running %1 %").arg(state.percent) : QStringLiteral("running");
    case BatchJobState::Done:
        return state.message;
    case BatchJobState::Failed:
        return "failed: " + state.message;
    case BatchJobState::NotStarted:
        return QStringLiteral("not started (cancelled)");
    }
    return {};
}

} // namespace BatchCommands
