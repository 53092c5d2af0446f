#pragma once

#include "UnitReport.h"

#include <QString>

// One unit's commissioning report as an HTML page, for mail and for the PDF.
QString reportHtml(const UnitReport &report, const ReportOrigin &origin);
// A site's report: a summary table of every unit first, then each unit's report.
QString siteReportHtml(const QList<UnitReport> &reports, const ReportOrigin &origin);

// Whether the path names a file a report can be written as (.pdf, .html or .htm).
bool isReportPath(const QString &path);
// Writes the page to `path`: a PDF through Qt's own writer for .pdf, the HTML itself otherwise.
// Empty when written, else why not. A PDF needs a QGuiApplication.
QString writeReport(const QString &path, const QString &html);
