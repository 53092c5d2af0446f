#include "EditorOutcome.h"

void EditorOutcome::append(const EditorOutcome &later)
{
    if (!later.error.isEmpty())
        error += (error.isEmpty() ? QString() : QStringLiteral("\n")) + later.error;
    log += later.log;
    if (later.applied)
        applied = later.applied;
}
