// The database backup: every committed row, never readable by more users than the
// database, and an earlier backup replaced only by a whole copy.
#include "Ages.h"
#include "Files.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "Unprivileged.h"
#include "app/AppContext.h"
#include "archive/Backup.h"
#include "store/files/DatabaseBackup.h"
#include "store/tables/TestStore.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

#include <atomic>
#include <thread>

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
    QStringList names(const char* sql = "SELECT NAMN FROM TESTPERSON ORDER BY ID")
    {
        QStringList found;
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(m_db, sql, -1, &s, nullptr);
        while (s && sqlite3_step(s) == SQLITE_ROW)
            found.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0))));
        sqlite3_finalize(s);
        return found;
    }
    // The first value of a query's answer, "<error>" when it failed.
    QString value(const char* sql)
    {
        const QStringList found = names(sql);
        return found.isEmpty() ? QStringLiteral("<error>") : found.first();
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
    EXPECT_EQ(Sqlite(target).value("PRAGMA journal_mode"), QStringLiteral("delete")) << "and is no WAL database";
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

    // The database file gone from under the connection.
    const QString moved = t.databasePath() + QStringLiteral(".moved");
    ASSERT_TRUE(QFile::rename(t.databasePath(), moved));
    answer = target;
    BackupDatabase(context, &owner);
    expectError();
    ASSERT_TRUE(QFile::rename(moved, t.databasePath()));

    answer.clear();
    BackupDatabase(context, &owner);
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_TRUE(filesIn(out.path()).isEmpty());
}

TEST_F(BackupTest, ACopyTakenWhileAnotherConnectionWritesHoldsEveryCommittedTestWhole)
{
    // Enough tests already stored that copying and checking take a while.
    {
        Sqlite tool(t.databasePath());
        tool.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                  "INSERT INTO TESTPERSON (ID, NAMN) SELECT i, 'Fylt ' || i FROM n");
        tool.exec("INSERT INTO TESTDATA_TAVLO (PERSONALDATA_ID) SELECT ID FROM TESTPERSON");
        tool.exec("INSERT INTO TESTDATA_TAVLO_MF (MF_ID) SELECT ID FROM TESTPERSON");
        tool.exec("UPDATE TESTPERSON_COUNTER SET LAST_ID = 3000");
    }
    // Another connection stores test after test, each in its own short transaction.
    std::atomic<int> committed = 0;
    std::atomic<bool> stop = false;
    std::thread writer([&] {
        Database other;
        if (!t.connect(other))
            return;
        for (int i = 1; !stop; ++i) {
            TestRecord test = childAged(8, 6);
            test.person.NAMN = QStringLiteral("Skriver %1").arg(i);
            if (!SaveTest(other, test, true))
                return;
            committed = i;
        }
    });
    const QDeadlineTimer deadline(60000);
    int writtenDuringBackups = 0;
    for (int round = 1; round <= 10 && (round <= 3 || writtenDuringBackups == 0); ++round) {
        SCOPED_TRACE(round);
        while (committed < 5 * round && !deadline.hasExpired())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_FALSE(deadline.hasExpired()) << "the writer stopped";
        const int before = committed;
        BackupDatabase(context, &owner);
        const int after = committed;
        writtenDuringBackups += after - before;
        expectDone();

        Sqlite copy(target);
        EXPECT_EQ(copy.value("PRAGMA integrity_check"), QStringLiteral("ok"));
        // The tests committed when the copy began, and maybe a few more: each whole, none
        // missing in between.
        const QStringList written = copy.names("SELECT NAMN FROM TESTPERSON WHERE NAMN LIKE 'Skriver %' ORDER BY ID");
        EXPECT_GE(written.size(), before);
        EXPECT_LE(written.size(), after + 1);
        QStringList expected;
        for (int i = 1; i <= written.size(); ++i)
            expected.append(QStringLiteral("Skriver %1").arg(i));
        EXPECT_EQ(written, expected);
        const QString tests = QString::number(3000 + written.size());
        EXPECT_EQ(copy.value("SELECT COUNT(*) FROM TESTPERSON"), tests);
        EXPECT_EQ(copy.value("SELECT COUNT(*) FROM TESTPERSON p JOIN TESTDATA_TAVLO d ON d.PERSONALDATA_ID = p.ID "
                             "JOIN TESTDATA_TAVLO_MF m ON m.MF_ID = p.ID"),
                  tests);
        EXPECT_EQ(copy.value("SELECT COUNT(*) FROM TESTDATA_TAVLO"), tests);
        EXPECT_EQ(copy.value("SELECT COUNT(*) FROM TESTDATA_TAVLO_MF"), tests);
    }
    stop = true;
    writer.join();
    EXPECT_GT(writtenDuringBackups, 0) << "the writer never wrote while a backup ran";
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

TEST_F(BackupTest, ACopyThatFailsItsCheckIsRemovedAndTheEarlierFileKept)
{
    save(QStringLiteral("Første"));
    save(QStringLiteral("Andre"));
    struct Plant {
        const char* what;
        std::function<void(const QString&)> fault;
        QString finding;
    };
    const Plant plants[] = {
        {"a test missing in the copy",
         [](const QString& copy) { Sqlite(copy).exec("DELETE FROM TESTPERSON WHERE NAMN = 'Andre'"); },
         QStringLiteral("antall rader i TESTPERSON er 1 i kopien, men 2 i databasen")},
        {"a score row too many",
         [](const QString& copy) { Sqlite(copy).exec("INSERT INTO TESTDATA_TAVLO_MF (MF_ID) VALUES (999)"); },
         QStringLiteral("antall rader i TESTDATA_TAVLO_MF er 3 i kopien, men 2 i databasen")},
        {"a damaged page",
         [](const QString& copy) {
             Sqlite sqlite(copy);
             const int root = sqlite.value("SELECT rootpage FROM sqlite_master WHERE name = 'TESTDATA_TAVLO'").toInt();
             const int pageSize = sqlite.value("PRAGMA page_size").toInt();
             QFile file(copy);
             ASSERT_TRUE(root > 1 && pageSize >= 512 && file.open(QIODevice::ReadWrite));
             // The page of the score rows, after its header: garbage where the cells are.
             file.seek(qint64(root - 1) * pageSize + 8);
             file.write(QByteArray(pageSize - 8, '\x55'));
         },
         QStringLiteral("integritetskontrollen svarte «*** in database main ***")},
    };
    for (const Plant& plant : plants) {
        SCOPED_TRACE(plant.what);
        writeFile(target, kEarlier);
        SetBackupCheckHook(plant.fault);
        BackupDatabase(context, &owner);
        SetBackupCheckHook({});
        ASSERT_EQ(sink.messages.size(), 1);
        const QString text = sink.messages[0].text;
        EXPECT_TRUE(text.startsWith(QStringLiteral("Sikkerhetskopien er ikke lagret, fordi kopien ikke besto kontrollen: ")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(plant.finding)) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral("Kopien er slettet, og en tidligere fil med samme navn er ikke endret.")));
        expectError();
        EXPECT_EQ(contentsOf(target), kEarlier);
        EXPECT_EQ(filesIn(out.path()), QStringList{QStringLiteral("TAVLO-II_backup.mdb")}) << "the copy is gone";
    }
    BackupDatabase(context, &owner);
    expectDone();
    EXPECT_EQ(Sqlite(target).names(), (QStringList{QStringLiteral("Første"), QStringLiteral("Andre")}));
}
