#pragma once

#include <QLoggingCategory>

// The wire and diagnostic log, quiet by default: QT_LOGGING_RULES="zor.link.info=true" shows the
// monitor window's hidden log, "zor.link.debug=true" adds every frame on the wire.
Q_DECLARE_LOGGING_CATEGORY(zorLink)
