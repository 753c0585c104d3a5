#include "store/Schema.h"

#include <QFile>
#include <QRegularExpression>

namespace tavlo {

namespace {

// ICU's Bokmål with strength 2: case ignored, Æ, Ø, Å after Z ("aa" as "å"), as
// NorwegianCollator. Deterministic, so equal names still compare by their bytes.
const QString kPostgresCollation = QStringLiteral(
    "CREATE COLLATION IF NOT EXISTS TAVLO_NORSK (provider = icu, locale = 'nb-NO-u-ks-level2')");

QStringList sqliteStatements()
{
    QFile file(QStringLiteral(":/data/schema.sql"));
    file.open(QIODevice::ReadOnly);
    QStringList statements;
    QString current;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.trimmed().startsWith(u"--"))
            continue;
        current += line + u'\n';
        if (line.trimmed().endsWith(u';')) {
            QString statement = current.trimmed();
            statement.chop(1);
            statements.append(statement);
            current.clear();
        }
    }
    return statements;
}

QString forPostgres(QString statement)
{
    static const QRegularExpression nocase(QStringLiteral("\\bCOLLATE\\s+NOCASE\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    statement.replace(nocase, QStringLiteral("COLLATE TAVLO_NORSK"));
    return statement;
}

} // namespace

QStringList SchemaStatements(StoreKind store)
{
    QStringList statements = sqliteStatements();
    if (store == StoreKind::Sqlite)
        return statements;
    for (QString& statement : statements)
        statement = forPostgres(statement);
    statements.prepend(kPostgresCollation);
    return statements;
}

QStringList SchemaTables()
{
    static const QRegularExpression create(QStringLiteral("^CREATE TABLE (\\w+)"));
    QStringList tables;
    for (const QString& statement : sqliteStatements()) {
        const auto match = create.match(statement);
        if (match.hasMatch())
            tables.append(match.captured(1));
    }
    return tables;
}

} // namespace tavlo
