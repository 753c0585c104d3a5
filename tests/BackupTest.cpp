// The database backup: every committed row, never readable by more users than the
// database, and an earlier backup replaced only by a whole copy.
#include "Ages.h"
#include "Files.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "Unprivileged.h"
#include "app/AppContext.h"
#include "archive/Backup.h"
#include "store/TestStore.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

using namespace tavlo;
using namespace tavlo::test::files;
using tavlo::test::childAged;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

namespace {

// Another tool's own connection to a database file, through SQLite's C API.
class Sqlite {
public:
    explicit Sqlite(const QString& path) { sqlite3_open_v2(QFile::encodeName(path), &m_db, SQLITE_OPEN_READWRITE, nullptr); }
    ~Sqlite() { sqlite3_close(m_db); }
    void exec(const char* sql)
    {
        char* error = nullptr;
        ASSERT_EQ(sqlite3_exec(m_db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : sql);
    }
    QStringList names()
    {
        QStringList found;
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(m_db, "SELECT NAMN FROM TESTPERSON ORDER BY ID", -1, &s, nullptr);
        while (s && sqlite3_step(s) == SQLITE_ROW)
            found.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))));
        sqlite3_finalize(s);
        return found;
    }

private:
    sqlite3* m_db = nullptr;
};

mode_t modeOf(const QString& path)
{
    struct stat st{};
    return ::stat(QFile::encodeName(path), &st) == 0 ? (st.st_mode & 07777) : 07777;
}

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(t.connect(context.db));
        context.databaseFolder = t.folder() + u'/';
        SetBackupFileChooser([this](QWidget* owner) {
            chooserOwner = owner;
            return answer;
        });
    }
    void TearDown() override { SetBackupFileChooser({}); }
    void save(const QString& name)
    {
        TestRecord test = childAged(8, 6);
        test.person.NAMN = name;
        ASSERT_TRUE(SaveTest(context.db, test, true));
    }
    void expectError()
    {
        ASSERT_EQ(sink.messages.size(), 1);
        EXPECT_EQ(sink.messages[0].caption, QStringLiteral("Error"));
        EXPECT_EQ(sink.messages[0].icon, MessageIcon::Information);
        EXPECT_FALSE(sink.messages[0].text.isEmpty());
        sink.messages.clear();
    }
    void expectDone()
    {
        EXPECT_EQ(sink.texts(), QStringList{QStringLiteral("Sikkerhetskopiering klar.")});
        EXPECT_EQ(sink.messages.value(0).caption, QStringLiteral("TAVLO-II"));
        sink.messages.clear();
    }

    TempDatabase t;
    RecordingSink sink;
    AppContext context;
    QTemporaryDir out;
    const QString target = out.path() + QStringLiteral("/TAVLO-II_backup.mdb");
    QString answer = target;
    QWidget* chooserOwner = nullptr;
    QWidget owner;
};

} // namespace

TEST_F(BackupTest, CopiesEveryRowWhileTheConnectionStaysOpen)
{
    save(QStringLiteral("Sikret Barn"));
    BackupDatabase(context, &owner);
    expectDone();
    EXPECT_EQ(chooserOwner, &owner);
    EXPECT_EQ(filesIn(out.path()), QStringList{QStringLiteral("TAVLO-II_backup.mdb")});
    EXPECT_EQ(Sqlite(target).names(), QStringList{QStringLiteral("Sikret Barn")});

    // Put back under the database's own name, the copy is a database the program opens.
    Database restored;
    ASSERT_EQ(restored.connectWith(QStringLiteral("DRIVER=SQLite3;Database=%1;NoCreat=1").arg(target)), 1);
    save(QStringLiteral("Etterpå"));
}

TEST_F(BackupTest, RowsStillInTheWriteAheadLogAreCopied)
{
    // Another tool put the database in WAL mode and committed rows that live only in the
    // -wal file while it stays open.
    save(QStringLiteral("Før"));
    Sqlite tool(t.databasePath());
    tool.exec("PRAGMA journal_mode=WAL");
    tool.exec("PRAGMA wal_autocheckpoint=0");
    tool.exec("INSERT INTO TESTPERSON (ID, NAMN) VALUES (1001, 'Bare i loggen 1')");
    tool.exec("INSERT INTO TESTPERSON (ID, NAMN) VALUES (1002, 'Bare i loggen 2')");
    const QString mainFileOnly = out.filePath(QStringLiteral("main-file-only.mdb"));
    writeFile(mainFileOnly, contentsOf(t.databasePath()));
    ASSERT_EQ(Sqlite(mainFileOnly).names(), QStringList{QStringLiteral("Før")}) << "the rows are not in the main file";

    BackupDatabase(context, &owner);
    expectDone();
    EXPECT_EQ(Sqlite(target).names(),
              (QStringList{QStringLiteral("Før"), QStringLiteral("Bare i loggen 1"), QStringLiteral("Bare i loggen 2")}));
    EXPECT_FALSE(QFileInfo::exists(target + QStringLiteral("-wal"))) << "the copy stands alone";
}

TEST_F(BackupTest, TheCopyIsNoMoreReadableThanTheDatabase)
{
    const mode_t mask = ::umask(022);
    for (const mode_t mode : {mode_t(0660), mode_t(0640), mode_t(0600)}) {
        ASSERT_EQ(::chmod(QFile::encodeName(t.databasePath()), mode), 0);
        BackupDatabase(context, &owner);
        expectDone();
        EXPECT_EQ(modeOf(target), mode) << std::oct << mode;
    }
    ::umask(mask);
}

TEST_F(BackupTest, AnEarlierBackupIsReplacedOnlyByACompleteCopy)
{
    writeFile(target, kEarlier);
    {
        FileSizeLimit full(QFileInfo(t.databasePath()).size() / 4);
        BackupDatabase(context, &owner);
    }
    expectError();
    EXPECT_EQ(contentsOf(target), kEarlier);
    EXPECT_EQ(filesIn(out.path()), QStringList{QStringLiteral("TAVLO-II_backup.mdb")}) << "no half copy beside it";

    save(QStringLiteral("Ny"));
    BackupDatabase(context, &owner);
    expectDone();
    EXPECT_EQ(Sqlite(target).names(), QStringList{QStringLiteral("Ny")});
}

TEST_F(BackupTest, AnUnwritableFolderGivesTheSystemsReason)
{
    TAVLO_RUN_UNPRIVILEGED();
    writeFile(target, kEarlier);
    QFile::setPermissions(out.path(), QFile::ReadOwner | QFile::ExeOwner);
    BackupDatabase(context, &owner);
    QFile::setPermissions(out.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_TRUE(sink.messages[0].text.contains(QStringLiteral("Permission denied"))) << sink.texts()[0].toStdString();
    expectError();
    EXPECT_EQ(contentsOf(target), kEarlier);
}

TEST_F(BackupTest, TheDatabaseInUseIsNeverTheTargetAndAMissingOneIsReported)
{
    const QByteArray before = contentsOf(t.databasePath());
    answer = t.databasePath();
    BackupDatabase(context, &owner);
    expectError();
    EXPECT_EQ(contentsOf(t.databasePath()), before);
    save(QStringLiteral("Fortsatt"));
    Database other;
    ASSERT_TRUE(t.connect(other));
    EXPECT_EQ(Sqlite(t.databasePath()).names(), QStringList{QStringLiteral("Fortsatt")})
        << "the connection still writes to the file";

    context.databaseFolder = out.path() + u'/';
    answer = target;
    BackupDatabase(context, &owner);
    expectError();

    answer.clear();
    BackupDatabase(context, &owner);
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_TRUE(filesIn(out.path()).isEmpty());
}
