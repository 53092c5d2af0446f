#include "ZorctlChild.h"

namespace {

const QString OwnPrefix = QStringLiteral("zorctl: ");

QString withoutBullet(QString line)
{
    if (line.startsWith(OwnPrefix))
        line = line.mid(OwnPrefix.size());
    // The setup runner's lines open with the window's ". " bullet.
    while (line.startsWith(u'.') || line.startsWith(u' '))
        line = line.mid(1);
    return line;
}

// The last of its own lines that opens with `prefix`.
QString lastLine(const QStringList &lines, const QString &prefix)
{
    for (auto it = lines.crbegin(); it != lines.crend(); ++it)
        if (it->startsWith(prefix))
            return it->trimmed();
    return {};
}

} // namespace

ChildRunEnd childRunEnd(bool normalExit, int exitCode, const QStringList &stderrLines, const QList<int> &doneCodes)
{
    QStringList lines;
    for (const QString &line : stderrLines)
        if (progressPercent(line) < 0 && !line.trimmed().isEmpty())
            lines << line;
    ChildRunEnd end;
    end.ok = normalExit && doneCodes.contains(exitCode);
    const QString notConfirmed = normalExit ? lastLine(lines, NotConfirmedPrefix) : QString();
    end.notConfirmed = !notConfirmed.isEmpty();
    if (end.notConfirmed) {
        end.message = "not confirmed: " + notConfirmed.mid(NotConfirmedPrefix.size());
    } else if (!end.ok) {
        if (!normalExit)
            end.message = QStringLiteral("zorctl crashed");
        else
            end.message = lines.isEmpty() ? QStringLiteral("exit status %1").arg(exitCode) : withoutBullet(lines.last().trimmed());
    } else {
        // A run that succeeded may still have noted something, such as a delete the unit refused.
        const QString note = withoutBullet(lastLine(lines, OwnPrefix));
        end.message = note.isEmpty() ? QStringLiteral("done") : "done (" + note + ")";
    }
    return end;
}

int progressPercent(const QString &line)
{
    if (!line.startsWith(ProgressLinePrefix))
        return -1;
    const QStringList parts = line.mid(ProgressLinePrefix.size()).trimmed().split(u' ');
    bool doneOk = false, totalOk = false;
    const qint64 done = parts.value(0).toLongLong(&doneOk);
    const qint64 total = parts.value(1).toLongLong(&totalOk);
    // The child is ours, but a line cut short or garbled must not reach the gauge as a value.
    if (parts.size() != 2 || !doneOk || !totalOk || total <= 0 || done < 0 || done > total)
        return -1;
    return int(done * 100 / total);
}
