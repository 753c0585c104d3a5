#include "ToolRun.h"
#include "RecordingSink.h"
#include "model/Catalogue.h"
#include "store/accounts/AccessLog.h"
#include "store/creation/NewDatabase.h"
#include "store/accounts/PasswordHash.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavlo;

namespace {

using tavlo::test::CliRun;
using tavlo::test::runCli;

// Reads the file with SQLite's own library, beside the program's ODBC path.
QStringList query(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    QStringList out;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_exec(
            db, sql.toUtf8().constData(),
            [](void* target, int columns, char** values, char**) {
                QStringList row;
                for (int i = 0; i < columns; ++i)
                    row.append(QString::fromUtf8(values[i] ? values[i] : "NULL"));
                static_cast<QStringList*>(target)->append(row.join(u'|'));
                return 0;
            },
            &out, nullptr);
    }
    sqlite3_close(db);
    return out;
}

} // namespace

TEST(NewDatabase, InitDbMakesEveryTableWithKeysAndOneUser)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("ny/mappe"));
    const CliRun run = runCli({QStringLiteral("init-db"), folder, QStringLiteral("--user"), QStringLiteral("psykolog"),
                            QStringLiteral("--password"), QStringLiteral("hemmelig")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString db = folder + QStringLiteral("/TAVLO-II.mdb");
    ASSERT_TRUE(QFile::exists(db));
    ASSERT_TRUE(QFile::exists(folder + QStringLiteral("/Virod.mdw")));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("TAVLO-II.mdb"), QStringLiteral("Virod.mdw")}));

    EXPECT_EQ(query(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name")),
              (QStringList{QStringLiteral("LOGG"), QStringLiteral("LOGGHODE"), QStringLiteral("NORMER_TAVLO"),
                           QStringLiteral("NORMGRUPPER_TAVLO"),
                           QStringLiteral("SEC"), QStringLiteral("SKJEMATILLEGG"), QStringLiteral("TESTDATA_TAVLO"),
                           QStringLiteral("TESTDATA_TAVLO_MF"),
                           QStringLiteral("TESTPERSON"), QStringLiteral("TESTPERSON_COUNTER"),
                           QStringLiteral("sqlite_sequence")}));
    // The one user, with a digest of the password and never the password itself.
    const QStringList users = query(db, QStringLiteral("SELECT USERID, PASSWORD FROM SEC"));
    ASSERT_EQ(users.size(), 1);
    EXPECT_TRUE(users[0].startsWith(u"psykolog|$pbkdf2-sha256$i=600000$")) << users[0].toStdString();
    EXPECT_FALSE(users[0].contains(u"hemmelig"));
    EXPECT_TRUE(PasswordMatchesHash(QStringLiteral("hemmelig"), users[0].section(u'|', 1)));
    EXPECT_EQ(query(db, QStringLiteral("SELECT BRUKER, HENDELSE, ID, MERKNAD FROM LOGG")),
              QStringList{QStringLiteral("%1|bruker lagt til|NULL|psykolog").arg(SystemAccountName())});
    EXPECT_EQ(query(db, QStringLiteral("SELECT LAST_ID FROM TESTPERSON_COUNTER")), QStringList{QStringLiteral("0")});
    // The log and its head are recorded as made, so that one dropped later is not made again, empty.
    EXPECT_EQ(query(db, QStringLiteral("SELECT TABELL FROM SKJEMATILLEGG ORDER BY TABELL")),
              (QStringList{QStringLiteral("LOGG"), QStringLiteral("LOGGHODE")}));

    // The score tables name the measures in the catalogue's column order, keyed by the person.
    QStringList columns = query(db, QStringLiteral("SELECT name FROM pragma_table_info('TESTDATA_TAVLO') ORDER BY cid"));
    ASSERT_EQ(columns.size(), 61);
    EXPECT_EQ(columns.takeFirst(), QStringLiteral("PERSONALDATA_ID"));
    for (const MeasureInfo& m : measures())
        EXPECT_EQ(columns.value(m.column - 1), QLatin1String(m.code));
    const QStringList cells = query(db, QStringLiteral("SELECT name FROM pragma_table_info('TESTDATA_TAVLO_MF') ORDER BY cid"));
    ASSERT_EQ(cells.size(), 113);
    EXPECT_EQ(cells.first(), QStringLiteral("MF_ID"));
    EXPECT_EQ(cells.last(), QStringLiteral("MF112"));
    for (const QString& table : {QStringLiteral("TESTPERSON"), QStringLiteral("TESTDATA_TAVLO"),
                                 QStringLiteral("TESTDATA_TAVLO_MF"), QStringLiteral("SEC")})
        EXPECT_EQ(query(db, QStringLiteral("SELECT COUNT(*) FROM pragma_table_info('%1') WHERE pk = 1").arg(table)),
                  QStringList{QStringLiteral("1")})
            << table.toStdString();
}

TEST(NewDatabase, RefusesExistingFilesAndChangesNothing)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    const QStringList args = {QStringLiteral("init-db"), folder, QStringLiteral("--user"), QStringLiteral("abc"),
                              QStringLiteral("--password"), QStringLiteral("abcdef")};
    for (const QString& existing : {QStringLiteral("TAVLO-II.mdb"), QStringLiteral("Virod.mdw")}) {
        QFile file(dir.filePath(existing));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
        file.close();
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains(existing)) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(u"Ingenting er endret")) << run.err.toStdString();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{existing});
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray("keep me"));
        file.close();
        file.remove();
    }
}

TEST(NewDatabase, UnusableCredentialsAreRefusedBeforeAnythingIsMade)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("x"));
    QString message;
    EXPECT_EQ(CreateDatabase(folder, QStringLiteral("ab"), QStringLiteral("abcdef"), &message), CreateResult::Refused);
    EXPECT_EQ(CreateDatabase(folder, QStringLiteral("abc"), QString(65, u'x'), &message),
              CreateResult::Refused);
    EXPECT_TRUE(message.contains(u"Passordet")) << message.toStdString();
    EXPECT_FALSE(QDir(folder).exists());
    const CliRun run = runCli({QStringLiteral("init-db"), folder});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains(u"usage:"));
}

TEST(NewDatabase, FolderThatCannotBeMadeFailsCleanly)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString message;
    EXPECT_EQ(CreateDatabase(dir.filePath(QStringLiteral("file/sub")), QStringLiteral("abc"), QStringLiteral("abcdef"),
                             &message),
              CreateResult::Failed);
    EXPECT_FALSE(message.isEmpty());
}

TEST(NewDatabase, AFolderTheConnectionStringCannotCarryIsRefusedBeforeAnythingIsWritten)
{
    for (const QString& name : {QStringLiteral("a;b"), QStringLiteral("a{b"), QStringLiteral("a}b"),
                                QStringLiteral("a\tb"), QStringLiteral("a\nb")}) {
        SCOPED_TRACE(name.toStdString());
        QTemporaryDir dir;
        const CliRun run = runCli({QStringLiteral("init-db"), dir.filePath(name), QStringLiteral("--user"),
                                QStringLiteral("abc"), QStringLiteral("--password"), QStringLiteral("abcdef")});
        EXPECT_EQ(run.status, 2) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(u"Ingenting er opprettet")) << run.err.toStdString();
        EXPECT_FALSE(run.out.contains(u"opprettet")) << run.out.toStdString();
        // Neither the folder asked for nor the one the driver would have read.
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }
}

namespace {

// What a killed run leaves: its lock on the folder, naming a process that is gone.
void leaveStaleLock(const QString& folder)
{
    const pid_t child = fork();
    if (child == 0) {
        QLockFile lock(folder + QStringLiteral("/.TAVLO-II-init.lock"));
        lock.tryLock(0);
        _exit(lock.isLocked() ? 0 : 1); // no destructor runs, as after a kill
    }
    int status = -1;
    waitpid(child, &status, 0);
    ASSERT_EQ(status, 0);
}

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

} // namespace

TEST(NewDatabase, WhatAKilledRunLeftIsRemovedButNeverAnotherRunsWork)
{
    QTemporaryDir dir;
    const QStringList args = {QStringLiteral("init-db"), dir.path(), QStringLiteral("--user"), QStringLiteral("abc"),
                              QStringLiteral("--password"), QStringLiteral("abcdef")};
    const QStringList left = {QStringLiteral(".TAVLO-II-Ab3xZ9.mdb"), QStringLiteral(".TAVLO-II-Ab3xZ9.mdb-journal")};
    for (const QString& name : left)
        touch(dir.filePath(name));
    touch(dir.filePath(QStringLiteral(".TAVLO-II-notater.mdb")));
    const auto entries = [&] { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString(); };

    // Another run at work in the folder: its files are left alone.
    {
        QLockFile running(dir.filePath(QStringLiteral(".TAVLO-II-init.lock")));
        ASSERT_TRUE(running.tryLock(0));
        const CliRun run = runCli(args);
        EXPECT_EQ(run.status, 2) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(u"En annen oppretting")) << run.err.toStdString();
        for (const QString& name : left)
            EXPECT_NE(entries().find(name.toStdString() + ' '), std::string::npos) << entries();
    }

    leaveStaleLock(dir.path());
    const CliRun run = runCli(args);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(entries(), ".TAVLO-II-notater.mdb TAVLO-II.mdb Virod.mdw");
}
