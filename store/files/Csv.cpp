#include "store/files/Csv.h"

#include <QStringDecoder>

namespace tavlo {

std::optional<CsvTable> ParseCsv(const QByteArray& bytes, QString* error)
{
    const auto fail = [&](int line, const QString& reason) -> std::optional<CsvTable> {
        if (error)
            *error = QStringLiteral("linje %1: %2").arg(line).arg(reason);
        return std::nullopt;
    };
    // Spreadsheet programs save UTF-8 with a byte-order mark; it is no part of the header.
    const QByteArray bom("\xEF\xBB\xBF");
    const QByteArray body = bytes.startsWith(bom) ? bytes.mid(bom.size()) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(body);
    if (utf8.hasError())
        return fail(1, QStringLiteral("filen er ikke gyldig UTF-8"));

    QList<QStringList> records;
    QList<int> starts;
    QStringList record;
    QString field;
    bool quoted = false;     // inside quotes
    bool wasQuoted = false;  // the current field was quoted
    bool any = false;        // the current record has begun
    int line = 1;
    int recordStart = 1;
    const auto endField = [&] {
        record.append(field);
        field.clear();
        wasQuoted = false;
    };
    const auto endRecord = [&] {
        endField();
        records.append(record);
        starts.append(recordStart);
        record.clear();
        any = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text[i + 1] == u'"') {
                    field += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == u'\n')
                    ++line;
                field += c;
            }
            continue;
        }
        if (!any) {
            any = true;
            recordStart = line;
        }
        if (c == u'"') {
            if (!field.isEmpty() || wasQuoted)
                return fail(line, QStringLiteral("anførselstegn midt i et felt"));
            quoted = wasQuoted = true;
        } else if (c == u',') {
            endField();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            continue;
        } else if (c == u'\n') {
            endRecord();
            ++line;
        } else {
            if (wasQuoted)
                return fail(line, QStringLiteral("tegn etter avsluttende anførselstegn"));
            // The plain characters up to the next one that means something, at once.
            qsizetype end = i + 1;
            while (end < text.size() && text[end] != u'"' && text[end] != u',' && text[end] != u'\n' && text[end] != u'\r')
                ++end;
            field += QStringView(text).sliced(i, end - i);
            i = end - 1;
        }
    }
    if (quoted)
        return fail(recordStart, QStringLiteral("anførselstegn som aldri avsluttes"));
    if (any)
        endRecord();
    if (records.isEmpty())
        return fail(1, QStringLiteral("filen er tom"));

    CsvTable table;
    table.header = records.takeFirst();
    starts.removeFirst();
    for (qsizetype r = 0; r < records.size(); ++r) {
        // A blank line is no row.
        if (records[r].size() == 1 && records[r][0].isEmpty())
            continue;
        if (records[r].size() != table.header.size())
            return fail(starts[r], QStringLiteral("%1 felt, men overskriften har %2")
                                       .arg(records[r].size())
                                       .arg(table.header.size()));
        table.rows.append(records[r]);
        table.lineNumbers.append(starts[r]);
    }
    return table;
}

} // namespace tavlo
