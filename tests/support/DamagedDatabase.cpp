#include "DamagedDatabase.h"

#include "store/connection/Schema.h"
#include "store/connection/Workgroup.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace tavlo::test {

namespace {

const QString kRestoreOrAsk = QStringLiteral("legg tilbake siste sikkerhetskopi");

void overwrite(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

void patch(const QString& path, qint64 at, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(at));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void execOn(Database& db, const QString& sql)
{
    Statement s(db);
    ASSERT_TRUE(s.execDirect(sql)) << s.diagnostic().toStdString();
}

int intOf(Database& db, const QString& sql)
{
    Statement s(db);
    EXPECT_TRUE(s.execDirect(sql) && s.fetch() == Fetch::Row) << s.diagnostic().toStdString();
    return s.getInt(1).value_or(0);
}

// The damage that SQLite finds in the file itself.
QList<Damage> brokenFiles()
{
    return {
        {QStringLiteral("random bytes"), QStringLiteral("er skadet"), QStringLiteral("file is not a database"),
         [](TempDatabase& t) {
             QByteArray noise(4096, '\0');
             QRandomGenerator random(7);
             for (char& c : noise)
                 c = char(random.bounded(256));
             overwrite(t.databasePath(), noise);
         }},
        {QStringLiteral("truncated file"), QStringLiteral("er skadet"), QStringLiteral("database disk image is malformed"),
         [](TempDatabase& t) { ASSERT_TRUE(QFile::resize(t.databasePath(), 8192)); }},
        {QStringLiteral("damaged table page"), QStringLiteral("er skadet"),
         QStringLiteral("database disk image is malformed"),
         [](TempDatabase& t) {
             // A page the schema does not need: only reading the table finds it.
             Database db;
             ASSERT_TRUE(t.connect(db));
             const int pageSize = intOf(db, QStringLiteral("PRAGMA page_size"));
             const int root = intOf(db, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'TESTPERSON'"));
             db.DbDisconnect();
             ASSERT_GT(root, 1);
             patch(t.databasePath(), qint64(root - 1) * pageSize, QByteArray(pageSize, '\xff'));
         }},
        {QStringLiteral("header of an unknown format"), QStringLiteral("er skadet"),
         QStringLiteral("unsupported file format"),
         [](TempDatabase& t) { patch(t.databasePath(), 44, QByteArray("\0\0\0\x09", 4)); }},
        {QStringLiteral("folder in the journal's place"), QStringLiteral("kunne ikke leses eller skrives"),
         QStringLiteral("disk I/O error"),
         [](TempDatabase& t) { ASSERT_TRUE(QDir().mkdir(t.databasePath() + QStringLiteral("-journal"))); }},
    };
}

} // namespace

QList<Damage> damagedDatabases()
{
    QList<Damage> all = brokenFiles();
    all += {
        {QStringLiteral("empty file"), QStringLiteral("har ingen av tabellene til TAVLO-II"), QStringLiteral("no such table"),
         [](TempDatabase& t) { overwrite(t.databasePath(), {}); }},
        {QStringLiteral("SQLite file of another program"), QStringLiteral("har ingen av tabellene til TAVLO-II"),
         QStringLiteral("no such table"),
         [](TempDatabase& t) {
             ASSERT_TRUE(QFile::remove(t.databasePath()));
             Database other;
             ASSERT_EQ(other.connectWith(QStringLiteral("DRIVER=SQLite3;Database=%1").arg(t.databasePath()), false), 1);
             execOn(other, QStringLiteral("CREATE TABLE NOTATER (ID INTEGER)"));
         }},
        {QStringLiteral("folder"), QStringLiteral("er en mappe og ikke en databasefil"), QStringLiteral("connect failed"),
         [](TempDatabase& t) {
             ASSERT_TRUE(QFile::remove(t.databasePath()));
             ASSERT_TRUE(QDir().mkdir(t.databasePath()));
         }},
        {QStringLiteral("lock held past the wait"), QStringLiteral("er i bruk av et annet program"),
         QStringLiteral("database is locked"),
         [](TempDatabase& t) {
             // A short wait, so that the hold outlasts it quickly.
             ASSERT_TRUE(WriteWorkgroupFile(t.workgroupPath(),
                                            QStringLiteral("DRIVER=SQLite3;Database=%1;NoCreat=1;Timeout=300"), nullptr));
             ASSERT_TRUE(t.connect(t.db));
             execOn(t.db, QStringLiteral("BEGIN EXCLUSIVE"));
         }},
        {QStringLiteral("access log dropped"), QStringLiteral("mangler tilgangsloggen (tabellen LOGG), som den har hatt"),
         QString(),
         [](TempDatabase& t) {
             Database db;
             ASSERT_TRUE(t.connect(db));
             execOn(db, QStringLiteral("DROP TABLE LOGG"));
         }},
    };
    static const QRegularExpression create(QStringLiteral("^CREATE TABLE (\\w+)"));
    for (const QString& statement : SchemaStatements()) {
        const QString table = create.match(statement).captured(1);
        // A table added in a later version is made again on connecting, or refused above.
        if (table.isEmpty() || SchemaTablesAddedLater().contains(table))
            continue;
        all.append({QStringLiteral("no table ") + table, QStringLiteral("mangler tabellen %1").arg(table),
                    QStringLiteral("no such table: ") + table, [table](TempDatabase& t) {
                        Database db;
                        ASSERT_TRUE(t.connect(db));
                        execOn(db, QStringLiteral("DROP TABLE %1").arg(table));
                    }});
    }
    return all;
}

Damage unreadableDatabase()
{
    return {QStringLiteral("unreadable file"), QStringLiteral("kan ikke leses med brukerkontoen din"),
            QStringLiteral("connect failed"),
            [](TempDatabase& t) { ASSERT_TRUE(QFile::setPermissions(t.databasePath(), QFile::WriteOwner)); }};
}

Damage missingDatabase()
{
    return {QStringLiteral("missing file"), QStringLiteral("finnes ikke"), QStringLiteral("connect failed"),
            [](TempDatabase& t) { ASSERT_TRUE(QFile::remove(t.databasePath())); }};
}

std::string damageCaseName(const Damage& damage)
{
    std::string name;
    for (const QChar c : damage.name)
        name += c.isLetterOrNumber() && c.unicode() < 128 ? char(c.unicode()) : '_';
    return name;
}

void applyDamage(TempDatabase& t, const Damage& damage)
{
    t.db.DbDisconnect();
    damage.apply(t);
}

void expectSentenceFirst(const QString& message, const Damage& damage, const QString& file)
{
    const qsizetype gap = message.indexOf(QStringLiteral("\n\n"));
    const QString sentence = gap < 0 ? message : message.left(gap);
    const std::string shown = message.toStdString();
    EXPECT_TRUE(sentence.startsWith(QStringLiteral("Databasen %1 ").arg(QDir::toNativeSeparators(file)))) << shown;
    EXPECT_TRUE(sentence.contains(damage.weSay)) << shown;
    EXPECT_FALSE(sentence.contains(u'\n')) << shown;
    EXPECT_FALSE(sentence.contains(u"[SQLite]")) << shown;
    // Every sentence says what to do about it.
    EXPECT_TRUE(sentence.contains(kRestoreOrAsk, Qt::CaseInsensitive) || sentence.contains(u"Prøv igjen")
                || sentence.contains(u"spør den som har ansvar", Qt::CaseInsensitive))
        << shown;
    if (damage.driverSays.isEmpty())
        return;
    EXPECT_FALSE(sentence.contains(damage.driverSays)) << shown;
    ASSERT_GE(gap, 0) << shown;
    EXPECT_TRUE(message.mid(gap + 2).contains(damage.driverSays)) << shown;
}

} // namespace tavlo::test
