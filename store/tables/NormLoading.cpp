#include "store/tables/NormLoading.h"

#include "store/connection/BatchInsert.h"

#include <QFile>

namespace tavlo {

namespace {

const QString kShippedNormRows = QStringLiteral(":/data/norms/NORMER_TAVLO.csv");
const QString kShippedNormGroups = QStringLiteral(":/data/norms/NORMGRUPPER_TAVLO.csv");

QStringList normRowHeader()
{
    QStringList header = {QStringLiteral("NORMGRUPP"), QStringLiteral("DELSKALA"), QStringLiteral("DELGRUPP")};
    for (int k = 1; k <= 19; ++k)
        header.append(QStringLiteral("S%1").arg(k));
    return header;
}

// Runs the DELETE, then one INSERT per row; the columns named in textColumns are texts, the
// others integers.
bool replaceRows(Database& db, const QString& table, const QStringList& header, const QStringList& textColumns,
                 const CsvTable& rows, QString* error)
{
    if (rows.header != header) {
        *error = QStringLiteral("overskriften skal være %1").arg(header.join(u','));
        return false;
    }
    // The norms this connection read are about to change, or to be rolled back should this
    // fail: the next lookup reads them anew.
    db.normCache().drop();
    Statement clear(db);
    if (!clear.execDirect(QStringLiteral("DELETE FROM %1").arg(table))) {
        *error = clear.diagnostic();
        return false;
    }
    QStringList markers;
    for (qsizetype i = 0; i < header.size(); ++i)
        markers.append(QStringLiteral("?"));
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(table, header.join(QStringLiteral(", ")), markers.join(QStringLiteral(", ")));
    Statement insert(db); // prepared once, run for every row
    const QString compiledOnce = CompiledOnceInsertSql(RecompilesInserts(db), sql);
    for (qsizetype r = 0; r < rows.rows.size(); ++r) {
        const QStringList& row = rows.rows[r];
        bool ok = r == 0 ? insert.prepare(compiledOnce) : insert.clearParameters();
        for (int c = 0; ok && c < row.size(); ++c) {
            if (textColumns.contains(header[c])) {
                ok = insert.bindText(c + 1, row[c]);
            } else {
                bool number = false;
                const int value = row[c].trimmed().toInt(&number);
                if (!number) {
                    *error = QStringLiteral("linje %1: %2 er ikke et heltall").arg(rows.lineNumbers[r]).arg(header[c]);
                    return false;
                }
                ok = insert.bindInt(c + 1, value);
            }
        }
        if (!ok || !insert.execute()) {
            *error = QStringLiteral("linje %1: %2").arg(rows.lineNumbers[r]).arg(insert.diagnostic());
            return false;
        }
    }
    return true;
}

std::optional<CsvTable> readResource(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 kan ikke leses").arg(path);
        return std::nullopt;
    }
    QString parseError;
    auto table = ParseCsv(file.readAll(), &parseError);
    if (!table)
        *error = path + QStringLiteral(", ") + parseError;
    return table;
}

} // namespace

bool ReplaceNormRows(Database& db, const CsvTable& rows, QString* error)
{
    const QStringList header = normRowHeader();
    return replaceRows(db, QStringLiteral("NORMER_TAVLO"), header, header.mid(0, 3), rows, error);
}

bool ReplaceNormGroups(Database& db, const CsvTable& rows, QString* error)
{
    const QStringList header = {QStringLiteral("NORMGRUPP"), QStringLiteral("DELGRUPP"), QStringLiteral("SEKVENS"),
                                QStringLiteral("BESKRIVNING")};
    return replaceRows(db, QStringLiteral("NORMGRUPPER_TAVLO"), header, {header[0], header[1], header[3]}, rows,
                       error);
}

bool LoadShippedNorms(Database& db, QString* error)
{
    if (!QFile::exists(kShippedNormRows) || !QFile::exists(kShippedNormGroups))
        return true;
    const auto rows = readResource(kShippedNormRows, error);
    const auto groups = rows ? readResource(kShippedNormGroups, error) : std::nullopt;
    return rows && groups && ReplaceNormRows(db, *rows, error) && ReplaceNormGroups(db, *groups, error);
}

} // namespace tavlo
