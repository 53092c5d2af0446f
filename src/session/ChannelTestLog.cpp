#include "ChannelTestLog.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const QString FormatName = QStringLiteral("zorwifi channel tests");
const QStringList Results{"acknowledged", "refused", "not confirmed", "unit not reached"};

} // namespace

QString channelTestResult(const ExchangeResult &sent)
{
    switch (sent.verdict()) {
    case AnswerVerdict::Acknowledged:
        return Results[0];
    case AnswerVerdict::Refused:
        return Results[1];
    case AnswerVerdict::NotConfirmed:
        return Results[2];
    case AnswerVerdict::Unreached:
        break;
    }
    return Results[3];
}

ChannelTestLog &ChannelTestLog::instance()
{
    static ChannelTestLog log;
    return log;
}

QList<ChannelTest> ChannelTestLog::testsOf(const QString &address) const
{
    QList<ChannelTest> of;
    for (const ChannelTest &test : tests_)
        if (test.address == address)
            of.append(test);
    return of;
}

QString ChannelTestLog::save(const QString &path) const
{
    QJsonArray tests;
    for (const ChannelTest &t : tests_)
        tests.append(QJsonObject{{"address", t.address}, {"input", t.input}, {"code", t.code},
                                 {"time", t.time.toUTC().toString(Qt::ISODateWithMs)}, {"result", t.result}});
    QSaveFile file(path);
    const QByteArray bytes = QJsonDocument(QJsonObject{{"format", FormatName}, {"tests", tests}}).toJson();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return "cannot write " + path + ": " + file.errorString();
    return {};
}

std::optional<QList<ChannelTest>> ChannelTestLog::load(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot read " + path + ": " + file.errorString();
        return std::nullopt;
    }
    const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    if (root.value("format").toString() != FormatName || !root.value("tests").isArray()) {
        error = path + " is not a channel test log";
        return std::nullopt;
    }
    QList<ChannelTest> tests;
    for (const QJsonValue value : root.value("tests").toArray()) {
        const QJsonObject o = value.toObject();
        ChannelTest t{o.value("address").toString(), o.value("input").toString(), o.value("code").toInt(-1),
                      QDateTime::fromString(o.value("time").toString(), Qt::ISODateWithMs),
                      o.value("result").toString()};
        if (t.address.isEmpty() || t.code < 0 || t.code > 255 || !t.time.isValid() || !Results.contains(t.result)) {
            error = path + " holds a damaged channel test entry";
            return std::nullopt;
        }
        tests.append(t);
    }
    return tests;
}
