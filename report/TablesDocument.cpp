#include "report/TablesDocument.h"

#include <algorithm>

namespace tavlo {

namespace {

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString cells(const QStringList& texts, const char* tag, const std::vector<int>& numberColumns)
{
    QString html = QStringLiteral("<tr>");
    for (int c = 0; c < texts.size(); ++c) {
        const bool number = std::find(numberColumns.begin(), numberColumns.end(), c) != numberColumns.end();
        html += QStringLiteral("<%1%2>%3</%1>")
                    .arg(QLatin1String(tag), number ? QStringLiteral(" align=\"right\"") : QString(), escaped(texts[c]));
    }
    return html + QStringLiteral("</tr>\n");
}

} // namespace

QString TabSeparatedField(QString text)
{
    // A text without them stays shared, not copied: a whole archive is listed this way.
    const auto breaks = [](QChar c) { return c == u'\t' || c == u'\n' || c == u'\r'; };
    if (std::none_of(text.cbegin(), text.cend(), breaks))
        return text;
    for (QChar& c : text) {
        if (breaks(c))
            c = u' ';
    }
    return text;
}

QStringList TabSeparatedLines(const TablesDocument& document)
{
    QStringList lines;
    for (const TablesSection& section : document.sections) {
        for (const QStringList& row : section.rows) {
            QStringList fields;
            if (!section.key.isEmpty())
                fields << TabSeparatedField(section.key);
            for (const QString& cell : row)
                fields << TabSeparatedField(cell);
            lines << fields.join(u'\t');
        }
    }
    return lines;
}

QString PngDataUrl(const QByteArray& png)
{
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64());
}

QString TablesHtml(const TablesDocument& document)
{
    // Word processors take borders and padding from the attributes more often than from a style.
    QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"><title>%1</title></head><body>\n")
                       .arg(escaped(document.title));
    if (!document.title.isEmpty())
        html += QStringLiteral("<h1>%1</h1>\n").arg(escaped(document.title));
    for (const auto& line : document.header) {
        QStringList items;
        for (const LabelledValue& item : line)
            items << QStringLiteral("%1: <b>%2</b>").arg(escaped(item.label), escaped(item.value));
        html += QStringLiteral("<p>%1</p>\n").arg(items.join(QStringLiteral(" &nbsp; &nbsp; ")));
    }
    for (const TablesSection& section : document.sections) {
        if (!section.title.isEmpty())
            html += QStringLiteral("<h2>%1</h2>\n").arg(escaped(section.title));
        if (!section.png.isEmpty()) {
            const QString width = section.pngWidth > 0 ? QStringLiteral(" width=\"%1\"").arg(section.pngWidth) : QString();
            html += QStringLiteral("<p><img src=\"%1\"%2 alt=\"%3\"></p>\n")
                        .arg(PngDataUrl(section.png), width, escaped(section.title));
        }
        if (!section.headings.isEmpty()) {
            // Across the page, so that the tables of a document line up under each other.
            html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\">\n");
            html += cells(section.headings, "th", section.numberColumns);
            for (const QStringList& row : section.rows)
                html += cells(row, "td", section.numberColumns);
            html += QStringLiteral("</table>\n");
        }
        for (const QString& note : section.notes)
            html += QStringLiteral("<p>%1</p>\n").arg(escaped(note));
    }
    return html + QStringLiteral("</body></html>");
}

} // namespace tavlo
