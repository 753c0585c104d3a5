// Every job that writes a file, in the tool and in the program, against what it must never
// write over; standard output as a target; what a killed job leaves; a standard output that
// cannot be written.
#include "Ages.h"
#include "ToolRun.h"
#include "Files.h"
#include "PrintTo.h"
#include "RecordingSink.h"
#include "Str.h"
#include "TempDatabase.h"
#include "app/AppContext.h"
#include "archive/Backup.h"
#include "archive/ExportDialog.h"
#include "results/Printing.h"
#include "store/accounts/AccessLog.h"
#include "store/tables/TestStore.h"

#include <QElapsedTimer>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace tavlo;
using namespace tavlo::test;
using namespace tavlo::test::files;

namespace {

// A file as found: its kind, identity and, for a regular file, its bytes.
struct Found {
    mode_t type = 0;
    dev_t device = 0;
    ino_t inode = 0;
    QByteArray bytes;
    bool operator==(const Found&) const = default;
};

Found found(const QString& path)
{
    struct stat st {};
    Found f;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return f;
    f = {st.st_mode & S_IFMT, st.st_dev, st.st_ino, {}};
    if (S_ISREG(st.st_mode))
        f.bytes = contentsOf(path);
    return f;
}

struct Target {
    const char* what;
    QString path;
};

// What no job may write over, made in out where it is not the database's own.
std::vector<Target> forbiddenTargets(const TempDatabase& t, const QString& out)
{
    const auto symlink = [&](const char* name, const QString& to) {
        const QString path = out + u'/' + QLatin1String(name);
        EXPECT_TRUE(QFile::link(to, path));
        return path;
    };
    const auto hardLink = [&](const char* name, const QString& to) {
        const QString path = out + u'/' + QLatin1String(name);
        EXPECT_EQ(::link(QFile::encodeName(to).constData(), QFile::encodeName(path).constData()), 0);
        return path;
    };
    std::vector<Target> targets;
    if (t.store() == StoreKind::Sqlite) {
        const QString db = t.databasePath();
        targets = {
            {"the database", db},
            {"a symbolic link to the database", symlink("db-link.mdb", db)},
            {"a hard link to the database", hardLink("db-hard.mdb", db)},
            {"its journal, not there yet", db + QStringLiteral("-journal")},
            {"a link to its WAL, not there yet", symlink("wal-link", db + QStringLiteral("-wal"))},
            {"its shared memory file, not there yet", db + QStringLiteral("-shm")},
        };
    }
    const QString workgroup = t.workgroupPath();
    targets.push_back({"Virod.mdw", workgroup});
    targets.push_back({"a symbolic link to Virod.mdw", symlink("mdw-link", workgroup)});
    targets.push_back({"a hard link to Virod.mdw", hardLink("mdw-hard", workgroup)});
    const QString folder = out + QStringLiteral("/mappe.txt");
    EXPECT_TRUE(QDir().mkdir(folder));
    targets.push_back({"a folder", folder});
    const QString fifo = out + QStringLiteral("/fifo.txt");
    EXPECT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    targets.push_back({"a FIFO", fifo});
    // A device of its own (as /dev/full), so that a job that did replace it harms nothing.
    const QString device = out + QStringLiteral("/full.txt");
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(1, 7)) == 0)
        targets.push_back({"a character device", device});
    return targets;
}

int logRows(Database& db)
{
    QString error;
    const auto rows = ReadAccessLog(db, {}, &error);
    EXPECT_TRUE(rows) << str(error);
    return rows ? int(rows->size()) : -1;
}

class JobTargets : public ::testing::TestWithParam<StoreKind> {
protected:
    JobTargets()
        : t(GetParam())
    {
        EXPECT_TRUE(t.connect(ctx.db));
        ctx.databaseFolder = t.folder() + u'/';
        // Scores in every domain, so that the report has lines to write.
        ctx.test = childWithEveryMeasure(8, 6);
        EXPECT_TRUE(SaveTest(ctx.db, ctx.test, true));
        SetExportFileOpener([](const QString&) {});
    }
    ~JobTargets() override
    {
        SetExportFileChooser({});
        SetExportFileOpener({});
        SetBackupFileChooser({});
    }

    bool fileStore() const { return t.store() == StoreKind::Sqlite; }
    QString id() const { return QString::number(ctx.test.person.ID); }

    // Each job that writes a file, as the tool and as the program's dialogs run it: whether it
    // failed, and the first thing it said.
    struct Said {
        bool failed;
        QString first;
    };
    std::vector<std::pair<const char*, std::function<Said(const QString&)>>> jobs()
    {
        const auto tool = [](const QStringList& args) {
            const CliRun run = runCli(args);
            return Said{run.status == 1, lines(run.err).value(0)};
        };
        const auto program = [this](const std::function<bool()>& job) {
            sink.messages.clear();
            const bool failed = job();
            return Said{failed, sink.messages.value(0).text};
        };
        std::vector<std::pair<const char*, std::function<Said(const QString&)>>> all = {
            {"export", [this, tool](const QString& to) { return tool({QStringLiteral("export"), t.folder(), to}); }},
            {"export --format csv",
             [this, tool](const QString& to) {
                 return tool({QStringLiteral("export"), t.folder(), to, QStringLiteral("--format"), QStringLiteral("csv")});
             }},
            {"report --pdf",
             [this, tool](const QString& to) { return tool({QStringLiteral("report"), t.folder(), id(), QStringLiteral("--pdf"), to}); }},
            {"the export dialog",
             [this, program](const QString& to) {
                 return program([&] {
                     SetExportFileChooser([to](QWidget*) { return to; });
                     ExportDataDialog dialog(ctx);
                     dialog.show();
                     dialog.okButton()->click();
                     return dialog.isVisible(); // it stays for another try
                 });
             }},
            {"printing to a file",
             [this, program](const QString& to) {
                 return program([&] { return !PrintReport(ctx, ReportChoice({true}), nullptr, printTo(to)); });
             }},
        };
        if (fileStore()) {
            all.push_back({"backup", [this, tool](const QString& to) { return tool({QStringLiteral("backup"), t.folder(), to}); }});
            all.push_back({"the backup dialog", [this, program](const QString& to) {
                               return program([&] {
                                   SetBackupFileChooser([to](QWidget*) { return to; });
                                   BackupDatabase(ctx, nullptr);
                                   return sink.messages.value(0).caption == u"Error";
                               });
                           }});
        }
        return all;
    }

    TempDatabase t;
    AppContext ctx;
    RecordingSink sink;
    QTemporaryDir out;
};

} // namespace

TEST_P(JobTargets, NoJobWritesOverTheDatabaseItsJournalsTheWorkgroupFileOrAFileThatIsNotRegular)
{
    const std::vector<Target> targets = forbiddenTargets(t, out.path());
    std::vector<std::pair<QString, Found>> before;
    for (const QString& path : {t.databasePath(), t.workgroupPath()})
        before.emplace_back(path, found(path));
    for (const Target& target : targets)
        before.emplace_back(target.path, found(target.path));
    const QStringList outFiles = filesIn(out.path());
    const QStringList folderFiles = filesIn(t.folder());
    const int rows = logRows(ctx.db);

    for (const Target& target : targets) {
        for (const auto& [job, run] : jobs()) {
            SCOPED_TRACE(std::string(job) + " onto " + target.what);
            const Said said = run(target.path);
            EXPECT_TRUE(said.failed);
            // Norwegian first, naming the file as the user gave it.
            EXPECT_TRUE(said.first.contains(QFileInfo(target.path).fileName())) << str(said.first);
            EXPECT_TRUE(said.first.contains(QStringLiteral("Ingenting er"))) << str(said.first);
        }
    }
    for (const auto& [path, was] : before)
        EXPECT_TRUE(found(path) == was) << str(path) << " was changed";
    EXPECT_EQ(filesIn(out.path()), outFiles) << "nothing left beside the targets";
    EXPECT_EQ(filesIn(t.folder()), folderFiles) << "nothing left beside the database";
    EXPECT_EQ(logRows(ctx.db), rows) << "a refused job is no access";
    Database again;
    ASSERT_TRUE(t.connect(again));
    TestRecord stored;
    EXPECT_EQ(ReadTest(again, stored, ctx.test.person.ID), 1);
}

TEST_P(JobTargets, DashWritesTheFileToStandardOutputAlone)
{
    const QString file = out.filePath(QStringLiteral("eksport.txt"));
    ASSERT_EQ(runCli({QStringLiteral("export"), t.folder(), file}).status, 0);
    CliRun run = runCli({QStringLiteral("export"), t.folder(), QStringLiteral("-")});
    ASSERT_EQ(run.status, 0) << str(run.err);
    EXPECT_EQ(run.bytes, contentsOf(file));

    run = runCli({QStringLiteral("report"), t.folder(), id(), QStringLiteral("--pdf"), QStringLiteral("-")});
    ASSERT_EQ(run.status, 0) << str(run.err);
    EXPECT_TRUE(run.bytes.startsWith("%PDF-")) << "the report's lines are not written before it";
    EXPECT_TRUE(run.bytes.trimmed().endsWith("%%EOF"));

    if (fileStore()) {
        run = runCli({QStringLiteral("backup"), t.folder(), QStringLiteral("-")});
        ASSERT_EQ(run.status, 0) << str(run.err);
        const QString copy = out.filePath(QStringLiteral("kopi.mdb"));
        writeFile(copy, run.bytes);
        Database restored;
        ASSERT_EQ(restored.connectWith(QStringLiteral("DRIVER=SQLite3;Database=%1;NoCreat=1").arg(copy)), 1);
        TestRecord back;
        EXPECT_EQ(ReadTest(restored, back, ctx.test.person.ID), 1);
        EXPECT_EQ(back.person.NAMN, ctx.test.person.NAMN);
    }
    QString error;
    const auto rows = ReadAccessLog(ctx.db, {}, &error);
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->back().note, QStringLiteral("standard ut"));
}

TEST_P(JobTargets, AStandardOutputThatCannotBeWrittenFailsTheJob)
{
    const QStringList jobs[] = {
        {QStringLiteral("--version")},
        {QStringLiteral("list"), t.folder()},
        {QStringLiteral("log"), t.folder()},
        {QStringLiteral("report"), t.folder(), id()},
        {QStringLiteral("export"), t.folder(), QStringLiteral("-")},
        {QStringLiteral("export"), t.folder(), QStringLiteral("-"), QStringLiteral("--format"), QStringLiteral("csv")},
        {QStringLiteral("export"), QStringLiteral("--codebook")},
        {QStringLiteral("report"), t.folder(), id(), QStringLiteral("--pdf"), QStringLiteral("-")},
    };
    for (const QStringList& args : jobs) {
        SCOPED_TRACE(str(args.join(u' ')));
        EXPECT_EQ(runCli(args, {}, out.filePath(QStringLiteral("ut.txt"))).status, 0) << "a file takes it";
        const CliRun run = runCli(args, {}, QStringLiteral("/dev/full"));
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("Standard ut kunne ikke skrives"))) << str(run.err);
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, JobTargets, ::testing::Values(StoreKind::Sqlite, StoreKind::Postgres),
                         [](const auto& info) { return info.param == StoreKind::Sqlite ? "Sqlite" : "Postgres"; });

TEST(JobLeftovers, AKilledBackupLeavesACopyTheNextBackupRemovesButNotOneStillBeingWritten)
{
    TempDatabase t;
    // Large enough that the copy and its check take a while to kill it in.
    t.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1000 UNION ALL SELECT i + 1 FROM n WHERE i < 400000) "
                          "INSERT INTO TESTPERSON (ID, NAMN, TESTLEDARE, SEX, TESTDATE, BORNDATE) "
                          "SELECT i, 'Barn nummer ' || i, 'Testleder', 1, '2012-06-15', '2004-01-15' FROM n"));
    QTemporaryDir out;
    const QString target = out.filePath(QStringLiteral("kopi.mdb"));
    const auto leftovers = [&] { return filesIn(out.path()).filter(QStringLiteral(".tavlo-")); };

    QProcess killed;
    killed.start(QStringLiteral(TAVLO_CLI_PATH), {QStringLiteral("backup"), t.folder(), target});
    ASSERT_TRUE(killed.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    while (leftovers().isEmpty() && killed.state() == QProcess::Running && waited.elapsed() < 30000)
        QThread::usleep(200);
    ::kill(pid_t(killed.processId()), SIGKILL);
    killed.waitForFinished();
    ASSERT_EQ(killed.exitStatus(), QProcess::CrashExit) << "the backup ended before it could be killed";
    const QStringList left = leftovers();
    ASSERT_EQ(left.size(), 1) << "a killed backup leaves its copy";
    EXPECT_FALSE(QFile::exists(target));

    // A copy another backup is still writing: its writer holds it locked.
    const QString live = out.filePath(QStringLiteral(".annen.mdb.tavlo-Ab12Cd"));
    writeFile(live, "underveis");
    const int fd = ::open(QFile::encodeName(live).constData(), O_RDONLY);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);

    const CliRun next = runCli({QStringLiteral("backup"), t.folder(), target});
    EXPECT_EQ(next.status, 0) << str(next.err);
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_EQ(leftovers(), QStringList{QFileInfo(live).fileName()}) << "the killed one's copy is gone, the live one stays";
    ::close(fd);
    EXPECT_EQ(runCli({QStringLiteral("backup"), t.folder(), target}).status, 0);
    EXPECT_TRUE(leftovers().isEmpty()) << "once its writer is gone, it goes too";
}
