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
        record.append(std::move(field));
        field = QString();
        wasQuoted = false;
    };
    const auto endRecord = [&] {
        endField();
        const qsizetype width = record.size();
        records.append(std::move(record));
        starts.append(recordStart);
        record = QStringList();
        record.reserve(width);
        any = false;
    };
    // A field is cut from the text in one piece where it can be: every table of the program
    // is read this way at each start.
    const auto plainEnd = [&](qsizetype from) {
        while (from < text.size() && text[from] != u'"' && text[from] != u',' && text[from] != u'\n' && text[from] != u'\r')
            ++from;
        return from;
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
                continue;
            }
            qsizetype end = i;
            while (end < text.size() && text[end] != u'"')
                ++end;
            const QStringView piece = QStringView(text).sliced(i, end - i);
            line += int(piece.count(u'\n'));
            if (field.isEmpty())
                field = piece.toString();
            else
                field += piece;
            i = end - 1;
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
            const qsizetype end = plainEnd(i + 1);
            if (field.isEmpty())
                field = text.sliced(i, end - i);
            else
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
    table.rows.reserve(records.size());
    table.lineNumbers.reserve(records.size());
    for (qsizetype r = 0; r < records.size(); ++r) {
        // A blank line is no row.
        if (records[r].size() == 1 && records[r][0].isEmpty())
            continue;
        if (records[r].size() != table.header.size())
            return fail(starts[r], QStringLiteral("%1 felt, men overskriften har %2")
                                       .arg(records[r].size())
                                       .arg(table.header.size()));
        table.rows.append(std::move(records[r]));
        table.lineNumbers.append(starts[r]);
    }
    return table;
}

} // namespace tavlo
