#include "CtlSession.h"

#include "ConsoleText.h"
#include "RequestTexts.h"
#include "UnitTexts.h"

#include <QJsonDocument>

void printLine(std::FILE *stream, const QString &line)
{
    writeConsoleLine(stream, line);
}

void printJson(const QJsonObject &object)
{
    // The writer escapes C0 controls only; C1 controls (unit text is Latin-1) drive terminals too.
    // Outside strings JSON has no such characters, so escaping them everywhere stays valid JSON.
    QString json = QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
    for (char16_t c = 0x7F; c < 0xA0; ++c)
        json.replace(QChar(c), QStringLiteral("\\u%1").arg(unsigned(c), 4, 16, QLatin1Char('0')));
    printLine(stdout, json);
}

void TerminalEvents::exchanged(const ExchangeResult &result)
{
    const QString text = UnitTexts::statusLine(result, status_);
    if (!text.isEmpty())
        printLine(stderr, UnitTexts::visibleText(text));
}

void TerminalEvents::transferNote(const TransferNote &note)
{
    const UnitTexts::NoteText text = UnitTexts::transferNote(note);
    for (const QString &line : text.logLines)
        printLine(stderr, UnitTexts::visibleText(line));
    if (!text.statusLine.isEmpty())
        printLine(stderr, UnitTexts::visibleText(text.statusLine));
}

CtlSession::CtlSession(const CtlOptions &options)
    : options(options)
{
    link.deviceAddress = address();
    link.events = &events;
}

int CtlSession::exitFor(const ExchangeResult &result) const
{
    if (!result.failed()) {
        if (result.unconfirmedRestart())
            printLine(stderr, NotConfirmedPrefix + RequestTexts::actionName(result.command)
                                  + ": the unit may have restarted before it answered");
        return CtlDone;
    }
    return exitFor(faultOf(result, address()));
}

int CtlSession::exitFor(const UnitFault &fault)
{
    if (!fault.failed())
        return CtlDone;
    printLine(stderr, (fault.kind == UnitFailure::NotConfirmed ? NotConfirmedPrefix : QStringLiteral("zorctl: ")) + fault.text);
    return fault.kind == UnitFailure::NoConnection ? CtlNoConnection : CtlNoUsableAnswer;
}

int CtlSession::exitFor(const TransferResult &result) const
{
    if (result.ok())
        return CtlDone;
    return result.announcement.outcome == ExchangeOutcome::NoConnection ? exitFor(result.announcement) : CtlNoUsableAnswer;
}

int CtlSession::readDeviceInformation()
{
    return exitFor(deviceInformationFault(link));
}

void CtlSession::print(const QJsonObject &object) const
{
    if (options.json) {
        printJson(object);
        return;
    }
    for (auto it = object.begin(); it != object.end(); ++it)
        printLine(stdout, it.key() + ": " + UnitTexts::visibleText(it.value().toVariant().toString()));
}
