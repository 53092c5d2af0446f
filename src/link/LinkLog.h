#pragma once

#include <QLoggingCategory>

// The wire and diagnostic log: QT_LOGGING_RULES="zor.link.debug=true" shows it.
Q_DECLARE_LOGGING_CATEGORY(zorLink)
