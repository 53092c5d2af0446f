#pragma once

#include <QString>

class Dialogs;

// The application's default error report: the error's own text in a box; the program goes on.
void reportError(Dialogs &dialogs, const QString &text);
