#include "DamagedDatabase.h"

#include "store/NewDatabase.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace tavlo::test {

namespace {

void overwrite(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void execOn(Database& db, const QString& sql)
{
    Statement s(db);
    ASSERT_TRUE(s.execDirect(sql)) << s.diagnostic().toStdString();
}

} // namespace

QList<Damage> damagedDatabases()
{
    QList<Damage> all = {
        {QStringLiteral("random bytes"), QStringLiteral("file is not a database"),
         [](TempDatabase& t) {
             QByteArray noise(4096, '\0');
             QRandomGenerator random(7);
             for (char& c : noise)
                 c = char(random.bounded(256));
             overwrite(t.databasePath(), noise);
         }},
        {QStringLiteral("empty file"), QStringLiteral("no such table"),
         [](TempDatabase& t) { overwrite(t.databasePath(), {}); }},
        {QStringLiteral("SQLite file of another program"), QStringLiteral("no such table"),
         [](TempDatabase& t) {
             ASSERT_TRUE(QFile::remove(t.databasePath()));
             Database other;
             ASSERT_EQ(other.connectWith(QStringLiteral("DRIVER=SQLite3;Database=%1").arg(t.databasePath()), false), 1);
             execOn(other, QStringLiteral("CREATE TABLE NOTATER (ID INTEGER)"));
         }},
        {QStringLiteral("folder"), QStringLiteral("connect failed"),
         [](TempDatabase& t) {
             ASSERT_TRUE(QFile::remove(t.databasePath()));
             ASSERT_TRUE(QDir().mkdir(t.databasePath()));
         }},
    };
    static const QRegularExpression create(QStringLiteral("^CREATE TABLE (\\w+)"));
    for (const QString& statement : SchemaStatements()) {
        const QString table = create.match(statement).captured(1);
        // A table added in a later version is made again on connecting (see SchemaUpgradeTest).
        if (table.isEmpty() || SchemaTablesAddedLater().contains(table))
            continue;
        all.append({QStringLiteral("no table ") + table, QStringLiteral("no such table: ") + table,
                    [table](TempDatabase& t) {
                        Database db;
                        ASSERT_TRUE(t.connect(db));
                        execOn(db, QStringLiteral("DROP TABLE %1").arg(table));
                    }});
    }
    return all;
}

Damage unreadableDatabase()
{
    return {QStringLiteral("unreadable file"), QStringLiteral("connect failed"),
            [](TempDatabase& t) { ASSERT_TRUE(QFile::setPermissions(t.databasePath(), QFile::WriteOwner)); }};
}

void applyDamage(TempDatabase& t, const Damage& damage)
{
    t.db.DbDisconnect();
    damage.apply(t);
}

} // namespace tavlo::test
