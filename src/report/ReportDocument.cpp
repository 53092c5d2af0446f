#include "ReportDocument.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <functional>

namespace {

const QString Title = QStringLiteral("Commissioning report");
// Both Qt's rich text and mail readers take table attributes; CSS only for the rest.
const QString TableOpen = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">");

// Every text reaches the page through here: the unit's and the files' texts are never markup.
QString escaped(const QString &text)
{
    return text.toHtmlEscaped().replace(u'\'', QStringLiteral("&#39;"));
}

QString heading(int level, const QString &text, bool newPage)
{
    const QString tag = "h" + QString::number(level);
    return "<" + tag + (newPage ? " style=\"page-break-before: always\"" : "") + ">" + escaped(text) + "</" + tag + ">\n";
}

QString fieldsHtml(const QList<std::pair<QString, QString>> &fields)
{
    QString html = TableOpen;
    for (const auto &[label, value] : fields)
        html += "<tr><th align=\"left\" width=\"40%\">" + escaped(label) + "</th><td>" + escaped(value) + "</td></tr>\n";
    return html + "</table>\n";
}

QString tableHtml(const ReportTable &table)
{
    QString html = (table.caption.isEmpty() ? QString() : heading(3, table.caption, false)) + TableOpen + "<tr>";
    for (const QString &name : table.header)
        html += "<th align=\"left\" bgcolor=\"#e8e8e8\">" + escaped(name) + "</th>";
    html += "</tr>\n";
    for (const QStringList &row : table.rows) {
        html += "<tr>";
        for (qsizetype i = 0; i < row.size(); ++i)
            html += (table.wholeColumns.contains(i) ? "<td style=\"white-space: nowrap\">" : "<td>") + escaped(row[i]) + "</td>";
        html += "</tr>\n";
    }
    return html + "</table>\n";
}

QString originHtml(const ReportOrigin &origin)
{
    return fieldsHtml({{"Date and time", origin.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))},
                       {"PC", origin.pc},
                       {"Tool", origin.tool}});
}

QString unitHtml(const UnitReport &report, bool newPage)
{
    QString html = heading(1, Title + ": " + report.address, newPage);
    for (const ReportSection &section : reportSections(report)) {
        html += heading(2, section.title, section.newPage);
        if (!section.fields.isEmpty())
            html += fieldsHtml(section.fields);
        for (const QString &note : section.notes)
            html += "<p>" + escaped(note) + "</p>\n";
        for (const ReportTable &table : section.tables)
            html += tableHtml(table);
    }
    return html;
}

// Any letter spacing turns Qt's ligatures off: "fi" stays two letters for whoever searches the PDF.
QString page(const QString &body)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + escaped(Title)
        + "</title>\n<style>body { font-family: sans-serif; font-size: 10pt; letter-spacing: 0.1px; } h1 { font-size: 16pt; } "
          "h2 { font-size: 13pt; margin-top: 14px; } h3 { font-size: 10pt; margin-top: 8px; } table { border-collapse: collapse; }</style></head>\n<body>\n"
        + body + "</body></html>\n";
}

QString writeAtomically(const QString &path, const std::function<bool(QSaveFile &)> &write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !write(file) || !file.commit())
        return "cannot write " + path + ": " + file.errorString();
    return {};
}

} // namespace

QString reportHtml(const UnitReport &report, const ReportOrigin &origin)
{
    QString body = unitHtml(report, false);
    // The origin closes the unit's first page, beside what it certifies.
    const int firstBreak = body.indexOf(QStringLiteral("<h2 style=\"page-break-before"));
    body.insert(firstBreak < 0 ? body.size() : firstBreak, heading(2, "Report", false) + originHtml(origin));
    return page(body);
}

QString siteReportHtml(const QList<UnitReport> &reports, const ReportOrigin &origin)
{
    QString body = heading(1, Title + ": site of " + QString::number(reports.size()) + " units", false)
        + originHtml(origin) + tableHtml(siteSummary(reports));
    for (const UnitReport &report : reports)
        body += unitHtml(report, true);
    return page(body);
}

bool isReportPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == "pdf" || suffix == "html" || suffix == "htm";
}

QString writeReport(const QString &path, const QString &html)
{
    if (QFileInfo(path).suffix().compare("pdf", Qt::CaseInsensitive) != 0)
        return writeAtomically(path, [&](QSaveFile &file) {
            const QByteArray bytes = html.toUtf8();
            return file.write(bytes) == bytes.size();
        });
    return writeAtomically(path, [&](QSaveFile &file) {
        QPdfWriter writer(&file);
        writer.setTitle(Title);
        writer.setCreator(QStringLiteral("zorwifi"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        QTextDocument document;
        document.setHtml(html);
        document.print(&writer);
        return true;
    });
}
