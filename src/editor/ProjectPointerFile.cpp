#include "ProjectPointerFile.h"

#include "EditorDirectories.h"
#include "SingleByteText.h"

#include <QRegularExpression>
#include <QStringDecoder>

QByteArray projectPointerBytes(const QString &projectDir)
{
    const QByteArray singleByte = toSingleByte(projectDir);
    if (fromSingleByte(singleByte) == projectDir)
        return singleByte + "\r\n";
    return "\xEF\xBB\xBF" + projectDir.toUtf8() + "\r\n";
}

QString parseProjectPointer(const QByteArray &bytes)
{
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes);
    QString text;
    if (marked) {
        QStringDecoder decoder(*marked); // drops the mark
        text = decoder(bytes);
    } else {
        text = fromSingleByte(bytes);
    }
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
    const QString firstLine = text.section(lineEnd, 0, 0);
    return firstLine.isEmpty() ? QString() : withTrailingSeparator(firstLine);
}
