#include "DamagedDatabase.h"

#include "store/NewDatabase.h"

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

void randomBytes(TempDatabase& t, const QString&)
{
    QByteArray noise(4096, '\0');
    QRandomGenerator random(7);
    for (char& c : noise)
        c = char(random.bounded(256));
    overwrite(t.databasePath(), noise);
}

void emptyFile(TempDatabase& t, const QString&)
{
    overwrite(t.databasePath(), {});
}

void otherDatabase(TempDatabase& t, const QString&)
{
    ASSERT_TRUE(QFile::remove(t.databasePath()));
    Database other;
    ASSERT_EQ(other.connectWith(QStringLiteral("DRIVER=SQLite3;Database=%1").arg(t.databasePath()), false), 1);
    Statement s(other);
    ASSERT_TRUE(s.execDirect(QStringLiteral("CREATE TABLE NOTATER (ID INTEGER)")));
}

void dropTable(TempDatabase& t, const QString& table)
{
    Database db;
    ASSERT_TRUE(t.connect(db));
    Statement s(db);
    ASSERT_TRUE(s.execDirect(QStringLiteral("DROP TABLE %1").arg(table)));
}

void folderInstead(TempDatabase& t, const QString&)
{
    ASSERT_TRUE(QFile::remove(t.databasePath()));
    ASSERT_TRUE(QDir().mkdir(t.databasePath()));
}

void unreadable(TempDatabase& t, const QString&)
{
    ASSERT_TRUE(QFile::setPermissions(t.databasePath(), QFile::WriteOwner));
}

} // namespace

QList<Damage> damagedDatabases()
{
    QList<Damage> all = {
        {QStringLiteral("random bytes"), QStringLiteral("file is not a database"), randomBytes, {}},
        {QStringLiteral("empty file"), QStringLiteral("no such table"), emptyFile, {}},
        {QStringLiteral("SQLite file of another program"), QStringLiteral("no such table"), otherDatabase, {}},
        {QStringLiteral("folder"), QStringLiteral("connect failed"), folderInstead, {}},
    };
    // Every table the schema makes, each missing in turn.
    static const QRegularExpression create(QStringLiteral("^CREATE TABLE (\\w+)"));
    for (const QString& statement : SchemaStatements()) {
        const auto match = create.match(statement);
        if (match.hasMatch())
            all.append({QStringLiteral("no table ") + match.captured(1),
                        QStringLiteral("no such table: ") + match.captured(1), dropTable, match.captured(1)});
    }
    return all;
}

Damage unreadableDatabase()
{
    return {QStringLiteral("unreadable file"), QStringLiteral("connect failed"), unreadable, {}};
}

void applyDamage(TempDatabase& t, const Damage& damage)
{
    t.db.DbDisconnect();
    damage.apply(t, damage.detail);
}

} // namespace tavlo::test
