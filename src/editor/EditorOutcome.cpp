#include "EditorOutcome.h"

namespace {
void appendLine(QString &text, const QString &line)
{
    if (!line.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + line;
}
} // namespace

void EditorOutcome::append(const EditorOutcome &later)
{
    appendLine(error, later.error);
    appendLine(warning, later.warning);
    log += later.log;
    if (later.applied)
        applied = later.applied;
}
