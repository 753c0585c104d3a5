// The access log of a whole round through the program's windows and jobs, on SQLite and on
// the test server, and what happens when a row cannot be written.
#include "Ages.h"
#include "ToolRun.h"
#include "PrintTo.h"
#include "RecordingSink.h"
#include "Str.h"
#include "TempDatabase.h"
#include "Unprivileged.h"
#include "app/LoginDialog.h"
#include "app/MainWindow.h"
#include "archive/ArchiveScreen.h"
#include "archive/Backup.h"
#include "results/Printing.h"
#include "resources/StringTable.h"
#include "store/accounts/AccessLog.h"
#include "store/files/ExportFile.h"
#include "store/accounts/LogChain.h"
#include "store/creation/NewDatabase.h"
#include "store/tables/TestStore.h"

#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::printTo;
using tavlo::test::childAged;
using tavlo::test::lines;
using tavlo::test::RecordingSink;
using tavlo::test::runCli;
using tavlo::test::TempDatabase;
using tavlo::test::CliRun;
using tavlo::test::str;

namespace {

const QString kLogFailed = QStringLiteral("Tilgangsloggen kunne ikke skrives, og derfor er ingenting gjort.");

class Round : public ::testing::TestWithParam<StoreKind> {
protected:
    Round()
        : t(GetParam())
    {
    }
    void SetUp() override
    {
        // On a server the program's connection is the examiner's login.
        if (GetParam() == StoreKind::Sqlite)
            ASSERT_TRUE(t.connect(ctx.db));
        else
            ASSERT_EQ(ctx.db.awaitLogin(t.databasePath(), t.workgroupPath()), 1);
        ctx.databaseFolder = t.folder() + u'/';
        SetBackupFileChooser([this](QWidget*) { return out.filePath(QStringLiteral("kopi.mdb")); });
    }
    void TearDown() override { SetBackupFileChooser({}); }

    // The login as the examiner makes it; the dialog's result.
    int logIn(const QString& user, const QString& password)
    {
        LoginDialog dialog(ctx.db);
        dialog.userField()->setText(user);
        dialog.passwordField()->setText(password);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        return dialog.result();
    }

    void openArchive()
    {
        w.setScreen(new ArchiveScreen(w));
        w.show();
        auto* screen = qobject_cast<ArchiveScreen*>(w.screen());
        ASSERT_TRUE(QTest::qWaitFor([&] { return screen->rowsArrived(); }, 60000));
        screen->list()->setCurrentIndex(screen->list()->model()->index(0, 0));
    }

    std::vector<AccessLogRow> log(const AccessLogFilter& filter = {})
    {
        QString error;
        auto rows = ReadAccessLog(ctx.db, filter, &error);
        EXPECT_TRUE(rows) << str(error);
        return rows.value_or(std::vector<AccessLogRow>{});
    }

    TempDatabase t;
    QTemporaryDir out;
    AppContext ctx;
    RecordingSink sink;
    MainWindow w{ctx};
};

} // namespace

TEST_P(Round, EveryStepOfARoundIsLoggedInOrderWithItsPersonNumber)
{
    // The database's first user was logged in the same millisecond now and then: past it.
    QThread::msleep(5);
    const QString start = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    // Another child's test, stored before: its number must not turn up in this round's rows.
    TestRecord other = childAged(9, 1);
    ASSERT_TRUE(SaveTest(t.db, other, true));

    const QString examiner = t.examiner().user;
    EXPECT_EQ(logIn(examiner, t.examiner().password + u'4'), 0);
    EXPECT_EQ(sink.texts(), QStringList{QStringLiteral("Feil passord!")});
    sink.messages.clear();
    EXPECT_EQ(logIn(examiner, t.examiner().password), 1);

    // A new test, as the raw score dialog stores it.
    ctx.test = childAged(7, 4);
    ctx.test.scores.AI = 11;
    ctx.testIsNew = true;
    ASSERT_FALSE(SaveCurrentTest(ctx));
    const int id = ctx.test.person.ID;
    ASSERT_GT(id, other.person.ID);

    // Shown from the archive, changed, printed to a PDF file, exported, backed up, deleted.
    openArchive();
    w.sendCommand(104);
    ASSERT_EQ(w.screenState(), 6) << str(sink.texts().join(u'\n'));
    ASSERT_EQ(ctx.test.person.ID, id);
    ctx.test.scores.AI = 12;
    ASSERT_FALSE(SaveCurrentTest(ctx));
    const QString pdf = out.filePath(QStringLiteral("rapport.pdf"));
    ASSERT_TRUE(PrintReport(ctx, ReportChoice({true, false, false, false, false, false}), nullptr, printTo(pdf)));
    const QString exported = out.filePath(QStringLiteral("eksport.txt"));
    ASSERT_EQ(WriteExportFile(ctx.db, exported).outcome, ExportOutcome::Written);
    const bool fileStore = GetParam() == StoreKind::Sqlite;
    BackupDatabase(ctx, &w); // a server's database is backed up with its own tool: nothing to log
    w.sendCommand(90);
    openArchive();
    sink.answers = {true};
    w.sendCommand(93);
    // The backup's word (or the server's notice), the delete's question and its word: no failure.
    EXPECT_EQ(sink.messages.size(), 3) << str(sink.texts().join(u'\n'));
    TestRecord gone;
    EXPECT_EQ(ReadTest(ctx.db, gone, id), 0);

    struct Expected {
        QString user, event;
        int person;
        QString note;
    };
    std::vector<Expected> expected = {
        {examiner, QStringLiteral("innlogging avvist"), 0, QStringLiteral("feil passord")},
        {examiner, QStringLiteral("innlogget"), 0, {}},
        {examiner, QStringLiteral("ny test lagret"), id, {}},
        {examiner, QStringLiteral("liste vist"), 0, QStringLiteral("2 tester")},
        {examiner, QStringLiteral("test vist"), id, {}},
        {examiner, QStringLiteral("endring lagret"), id, {}},
        {examiner, QStringLiteral("skrevet ut"), id, pdf},
        {examiner, QStringLiteral("eksportert"), 0, exported},
        {examiner, QStringLiteral("sikkerhetskopiert"), 0, out.filePath(QStringLiteral("kopi.mdb"))},
        {examiner, QStringLiteral("liste vist"), 0, QStringLiteral("2 tester")},
        {examiner, QStringLiteral("test slettet"), id, {}},
    };
    if (!fileStore) {
        expected.erase(expected.begin() + 8);
        // A refused login opens no connection to write with: the server's own log has it.
        expected.erase(expected.begin());
    }
    const std::vector<AccessLogRow> rows = log({std::nullopt, {}, start});
    QStringList written;
    for (const AccessLogRow& row : rows)
        written << QStringList{row.user, row.event, QString::number(row.person), row.note}.join(u'|');
    // And the other child's, stored before the login.
    ASSERT_EQ(rows.size(), expected.size() + 1) << str(written.join(u'\n'));
    EXPECT_EQ(rows[0].event, QStringLiteral("ny test lagret"));
    EXPECT_EQ(rows[0].person, other.person.ID);
    for (size_t i = 0; i < expected.size(); ++i) {
        const AccessLogRow& row = rows[i + 1];
        SCOPED_TRACE(str(expected[i].event));
        EXPECT_EQ(row.user, expected[i].user);
        EXPECT_EQ(row.event, expected[i].event);
        EXPECT_EQ(row.person, expected[i].person);
        EXPECT_EQ(row.note, expected[i].note);
        EXPECT_EQ(row.program, QStringLiteral("access_log_tests"));
        // UTC, to the millisecond, never going back.
        EXPECT_TRUE(QDateTime::fromString(row.time, Qt::ISODateWithMs).isValid()) << str(row.time);
        EXPECT_TRUE(row.time.endsWith(u'Z'));
        EXPECT_GE(row.time, rows[i].time);
    }

    // The tool prints the same rows, chosen by person and by user.
    const auto cli = runCli({QStringLiteral("log"), t.folder(), QStringLiteral("--person"), QString::number(id)});
    EXPECT_EQ(cli.status, 0) << str(cli.err);
    QStringList wanted;
    for (const AccessLogRow& row : rows) {
        if (row.person == id)
            wanted << QStringList{row.time, row.user, row.event, QString::number(id), row.program, row.note}.join(u'\t');
    }
    EXPECT_EQ(lines(cli.out), wanted);
    EXPECT_EQ(wanted.size(), 5);
    const auto byUser = runCli({QStringLiteral("log"), t.folder(), QStringLiteral("--user"), examiner,
                                QStringLiteral("--since"), start.left(10)});
    EXPECT_EQ(lines(byUser.out).size(), int(expected.size()));
    const auto none = runCli({QStringLiteral("log"), t.folder(), QStringLiteral("--since"), QStringLiteral("2999-01-01")});
    EXPECT_EQ(none.status, 0);
    EXPECT_TRUE(none.out.isEmpty());
    for (const QStringList& wrong : {QStringList{QStringLiteral("--person"), QStringLiteral("x")},
                                     QStringList{QStringLiteral("--since"), QStringLiteral("7.12.2026")},
                                     QStringList{QStringLiteral("--user")}}) {
        const auto refused = runCli(QStringList{QStringLiteral("log"), t.folder()} + wrong);
        EXPECT_EQ(refused.status, 2) << str(wrong.join(u' '));
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, Round, ::testing::Values(StoreKind::Sqlite, StoreKind::Postgres),
                         [](const auto& info) { return info.param == StoreKind::Sqlite ? "Sqlite" : "Postgres"; });

class LogTable : public ::testing::TestWithParam<StoreKind> {
protected:
    static int count(Database& db, const QString& sql)
    {
        Statement s(db);
        EXPECT_TRUE(s.execDirect(sql) && s.fetch() == Fetch::Row) << str(s.diagnostic());
        return s.getInt(1).value_or(-1);
    }
};

TEST_P(LogTable, ALogOnceMadeIsNeverMadeAgainEmptyButAnOlderDatabaseGetsOne)
{
    TempDatabase t(GetParam());
    const QString named = GetParam() == StoreKind::Sqlite ? t.databasePath() : t.serverDatabase();
    const QString recorded = QStringLiteral("SELECT COUNT(*) FROM SKJEMATILLEGG WHERE TABELL = 'LOGG'");
    ASSERT_EQ(count(t.db, recorded), 1) << "a new database records its log";

    // Made before the record was kept: connecting records the log it has.
    t.exec(QStringLiteral("DROP TABLE SKJEMATILLEGG"));
    {
        Database db;
        ASSERT_TRUE(t.connect(db));
    }
    EXPECT_EQ(count(t.db, recorded), 1);

    // The log dropped: the tool and the program refuse the database, and no log is made.
    t.exec(QStringLiteral("DROP TABLE LOGG"));
    const auto run = runCli({QStringLiteral("log"), t.folder()});
    EXPECT_EQ(run.status, 1);
    const QStringList err = lines(run.err);
    ASSERT_EQ(err.size(), 2) << str(run.err);
    const QString prefix = QStringLiteral("TAVLO-II: ");
    EXPECT_TRUE(err[0].startsWith(prefix + QStringLiteral("Databasen "))) << str(err[0]);
    EXPECT_TRUE(err[0].contains(named)) << str(err[0]);
    EXPECT_TRUE(err[0].contains(QStringLiteral("mangler tilgangsloggen (tabellen LOGG), som den har hatt. Programmet "
                                               "lager ikke en ny, tom logg i stedet.")))
        << str(err[0]);
    EXPECT_EQ(err[1], prefix + LoadString(60));
    {
        RecordingSink sink;
        Database db;
        EXPECT_FALSE(t.connect(db));
        EXPECT_EQ(sink.texts(), QStringList{err[0].mid(prefix.size())});
    }
    EXPECT_FALSE(Statement(t.db).execDirect(QStringLiteral("SELECT 1 FROM LOGG")));

    // Without the record as well it is a database from before the log: it gets one, empty.
    t.exec(QStringLiteral("DROP TABLE SKJEMATILLEGG"));
    RecordingSink sink;
    Database db;
    ASSERT_TRUE(t.connect(db)) << str(sink.texts().join(u'\n'));
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_EQ(count(t.db, QStringLiteral("SELECT COUNT(*) FROM LOGG")), 0);
    EXPECT_EQ(count(t.db, recorded), 1);
}

INSTANTIATE_TEST_SUITE_P(Stores, LogTable, ::testing::Values(StoreKind::Sqlite, StoreKind::Postgres),
                         [](const auto& info) { return info.param == StoreKind::Sqlite ? "Sqlite" : "Postgres"; });

TEST(AccessLog, ARowThatCannotBeWrittenLeavesEveryActionUndone)
{
    TempDatabase t;
    AppContext ctx;
    ASSERT_TRUE(t.connect(ctx.db));
    ctx.databaseFolder = t.folder() + u'/';
    QTemporaryDir out;
    RecordingSink sink;
    TestRecord kept = childAged(8, 0);
    ASSERT_TRUE(SaveTest(ctx.db, kept, true));
    const auto toldOnce = [&](const char* what) {
        SCOPED_TRACE(what);
        ASSERT_EQ(sink.messages.size(), 1) << str(sink.texts().join(u'\n'));
        EXPECT_TRUE(sink.messages[0].text.startsWith(kLogFailed)) << str(sink.messages[0].text);
        EXPECT_TRUE(sink.messages[0].text.contains(QStringLiteral("loggen er stengt")));
        sink.messages.clear();
    };
    const auto stillThere = [&] {
        Database other;
        EXPECT_TRUE(t.connect(other));
        TestRecord probe;
        EXPECT_EQ(ReadTest(other, probe, kept.person.ID), 1);
        return probe;
    };

    // The list, opened before the log closed, is shown; opened after, it is not.
    MainWindow w{ctx};
    const auto openArchive = [&] {
        w.setScreen(new ArchiveScreen(w));
        w.show();
        auto* screen = qobject_cast<ArchiveScreen*>(w.screen());
        EXPECT_TRUE(QTest::qWaitFor([&] { return screen->rowsArrived(); }, 60000));
        return screen;
    };
    auto* screen = openArchive();
    t.exec(QStringLiteral(
        "CREATE TRIGGER stengt BEFORE INSERT ON LOGG BEGIN SELECT RAISE(ABORT, 'loggen er stengt'); END"));
    EXPECT_EQ(openArchive()->list()->model()->rowCount(), 0);
    toldOnce("list");
    screen = openArchive();
    sink.messages.clear();
    t.exec(QStringLiteral("DROP TRIGGER stengt"));
    screen = openArchive();
    t.exec(QStringLiteral(
        "CREATE TRIGGER stengt BEFORE INSERT ON LOGG BEGIN SELECT RAISE(ABORT, 'loggen er stengt'); END"));

    // A delete from the archive: the test stays, in the database and in the list.
    screen->list()->setCurrentIndex(screen->list()->model()->index(0, 0));
    sink.answers = {true};
    w.sendCommand(93);
    ASSERT_GE(sink.messages.size(), 1);
    EXPECT_TRUE(sink.messages[0].question);
    sink.messages.removeFirst();
    toldOnce("delete");
    EXPECT_EQ(screen->list()->model()->rowCount(), 1);
    EXPECT_EQ(stillThere().person.NAMN, kept.person.NAMN);

    // Shown: the archive stays, the test is not read.
    ctx.test = childAged(3, 0);
    w.sendCommand(104);
    toldOnce("show");
    EXPECT_EQ(w.screenState(), 4);
    EXPECT_NE(ctx.test.person.ID, kept.person.ID);

    // A change and a new test: nothing stored, the record as it was.
    TestRecord changed = stillThere();
    changed.scores.AI = 3;
    EXPECT_FALSE(SaveTest(ctx.db, changed, false));
    toldOnce("change");
    EXPECT_NE(stillThere().scores.AI, 3);
    TestRecord fresh = childAged(6, 0);
    EXPECT_FALSE(SaveTest(ctx.db, fresh, true));
    toldOnce("new");
    EXPECT_EQ(fresh.person.ID, 0);

    // Printed, exported, backed up: no file.
    ctx.test = stillThere();
    const QString pdf = out.filePath(QStringLiteral("rapport.pdf"));
    EXPECT_FALSE(PrintReport(ctx, ReportChoice({true, false, false, false, false, false}), nullptr, printTo(pdf)));
    toldOnce("print");
    const ExportResult exported = WriteExportFile(ctx.db, out.filePath(QStringLiteral("eksport.txt")));
    EXPECT_EQ(exported.outcome, ExportOutcome::ReadFailed);
    EXPECT_TRUE(exported.message.startsWith(kLogFailed)) << str(exported.message);
    SetBackupFileChooser([&](QWidget*) { return out.filePath(QStringLiteral("kopi.mdb")); });
    BackupDatabase(ctx, &w);
    SetBackupFileChooser({});
    toldOnce("backup");
    EXPECT_TRUE(QDir(out.path()).isEmpty()) << str(QDir(out.path()).entryList(QDir::Files).join(u' '));

    // A login: the dialog stays, as after any other database failure.
    LoginDialog dialog(ctx.db);
    dialog.userField()->setText(QStringLiteral("demo"));
    dialog.passwordField()->setText(QStringLiteral("demo123"));
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    toldOnce("login");
    EXPECT_EQ(dialog.result(), 0);
}

TEST(AccessLog, ADatabaseThatCanOnlyBeReadLetsNobodyInUnrecorded)
{
    TAVLO_RUN_UNPRIVILEGED();
    TempDatabase t;
    t.db.DbDisconnect();
    ASSERT_TRUE(QFile::setPermissions(t.databasePath(), QFile::ReadOwner | QFile::ReadGroup));
    Database db;
    ASSERT_TRUE(t.connect(db));
    RecordingSink sink;
    LoginDialog dialog(db);
    dialog.userField()->setText(QStringLiteral("demo"));
    dialog.passwordField()->setText(QStringLiteral("demo123"));
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), 0);
    ASSERT_EQ(sink.messages.size(), 1) << str(sink.texts().join(u'\n'));
    EXPECT_TRUE(sink.messages[0].text.startsWith(
        kLogFailed + QStringLiteral(" Databasen %1 kan bare leses.").arg(QDir::toNativeSeparators(t.databasePath()))))
        << str(sink.messages[0].text);
}

TEST(AccessLog, TheToolsJobsStandUnderTheAccountThatRanThem)
{
    TempDatabase t;
    TestRecord child = childAged(10, 2);
    ASSERT_TRUE(SaveTest(t.db, child, true));
    QTemporaryDir out;
    const QString folder = t.folder();
    const QString pdf = out.filePath(QStringLiteral("rapport.pdf"));
    const QString exported = out.filePath(QStringLiteral("eksport.txt"));
    const QString norms = QStringLiteral(TAVLO_SOURCE_DIR "/data/norms/NORMER_TAVLO.csv");
    const QString groups = QStringLiteral(TAVLO_SOURCE_DIR "/data/norms/NORMGRUPPER_TAVLO.csv");
    const QList<QStringList> jobs = {
        {QStringLiteral("score"), folder, QString::number(child.person.ID)},
        {QStringLiteral("report"), folder, QString::number(child.person.ID), QStringLiteral("--pdf"), pdf},
        {QStringLiteral("export"), folder, exported},
        {QStringLiteral("backup"), folder, out.filePath(QStringLiteral("kopi.mdb"))},
        {QStringLiteral("import-norms"), folder, norms, QStringLiteral("--groups"), groups},
        {QStringLiteral("import"), folder, exported},
    };
    for (const QStringList& job : jobs) {
        const auto run = runCli(job);
        ASSERT_EQ(run.status, 0) << str(job.join(u' ')) << '\n' << str(run.err);
    }
    QString error;
    const auto rows = ReadAccessLog(t.db, {}, &error);
    ASSERT_TRUE(rows) << str(error);
    QStringList logged;
    for (const AccessLogRow& row : *rows) {
        EXPECT_EQ(row.user, SystemAccountName());
        logged << QStringList{row.event, row.person ? QString::number(row.person) : QString(), row.program, row.note}
                      .join(u'|');
    }
    const QString id = QString::number(child.person.ID);
    // The imported test gets the next number: the file's is in use.
    const QString copy = QString::number(child.person.ID + 1);
    EXPECT_EQ(logged, (QStringList{
                          QStringLiteral("bruker lagt til||access_log_tests|demo"), // the database's first user
                          QStringLiteral("ny test lagret|%1|access_log_tests|").arg(id),
                          QStringLiteral("test vist|%1|tavlo-ii-cli|").arg(id),
                          QStringLiteral("test vist|%1|tavlo-ii-cli|").arg(id),
                          QStringLiteral("skrevet ut|%1|tavlo-ii-cli|%2").arg(id, pdf), // the file, not its draft
                          QStringLiteral("eksportert||tavlo-ii-cli|") + exported,
                          QStringLiteral("sikkerhetskopiert||tavlo-ii-cli|") + out.filePath(QStringLiteral("kopi.mdb")),
                          QStringLiteral("normer lest inn||tavlo-ii-cli|824 normrader, 24 aldersgrupper"),
                          QStringLiteral("test lest inn|%1|tavlo-ii-cli|nummer %2 i filen").arg(copy, id),
                      }))
        << str(logged.join(u'\n'));
}

class ToolLog : public ::testing::TestWithParam<StoreKind> {};

TEST_P(ToolLog, ARowIsWrittenOnlyForAnAccessThatTookPlace)
{
    TempDatabase t(GetParam());
    TestRecord child = childAged(10, 2);
    ASSERT_TRUE(SaveTest(t.db, child, true));
    const bool fileStore = GetParam() == StoreKind::Sqlite;
    QTemporaryDir out;
    const QString folder = t.folder();
    const QString id = QString::number(child.person.ID);
    const QString copy = out.filePath(QStringLiteral("kopi.mdb"));
    const struct {
        QStringList args;
        int status;
        QString row; // event|person|note of the one row it writes; empty: none
    } jobs[] = {
        {{QStringLiteral("score"), folder, QStringLiteral("99")}, 1, {}},
        {{QStringLiteral("report"), folder, QStringLiteral("99")}, 1, {}},
        {{QStringLiteral("report"), folder, id, QStringLiteral("--pdf"), out.path()}, 1, {}},
        {{QStringLiteral("export"), folder, out.path()}, 1, {}},
        {{QStringLiteral("backup"), folder, out.path()}, 1, {}},
        {{QStringLiteral("list"), folder}, 0, QStringLiteral("liste vist||1 tester")},
        {{QStringLiteral("score"), folder, id}, 0, QStringLiteral("test vist|%1|").arg(id)},
        {{QStringLiteral("backup"), folder, copy},
         fileStore ? 0 : 1,
         fileStore ? QStringLiteral("sikkerhetskopiert||%1").arg(copy) : QString()},
    };
    QString error;
    for (const auto& job : jobs) {
        SCOPED_TRACE(str(job.args.join(u' ')));
        const auto before = ReadAccessLog(t.db, {}, &error);
        ASSERT_TRUE(before) << str(error);
        const auto run = runCli(job.args);
        EXPECT_EQ(run.status, job.status) << str(run.err);
        const auto after = ReadAccessLog(t.db, {}, &error);
        ASSERT_TRUE(after) << str(error);
        QStringList added;
        for (size_t i = before->size(); i < after->size(); ++i) {
            const AccessLogRow& row = (*after)[i];
            added << QStringList{row.event, row.person ? QString::number(row.person) : QString(), row.note}.join(u'|');
        }
        EXPECT_EQ(added, job.row.isEmpty() ? QStringList{} : QStringList{job.row});
    }
}

INSTANTIATE_TEST_SUITE_P(Stores, ToolLog, ::testing::Values(StoreKind::Sqlite, StoreKind::Postgres),
                         [](const auto& info) { return info.param == StoreKind::Sqlite ? "Sqlite" : "Postgres"; });

class LogChainTest : public ::testing::TestWithParam<StoreKind> {
protected:
    // A fresh database with three tests stored: its log holds the first user's row and three more.
    struct Logged {
        explicit Logged(StoreKind store)
            : t(store)
        {
            for (int i = 0; i < 3; ++i) {
                TestRecord child = childAged(8 + i, 0);
                EXPECT_TRUE(SaveTest(t.db, child, true));
            }
        }
        CliRun verify() const { return runCli({QStringLiteral("log"), t.folder(), QStringLiteral("--verify")}); }
        // As the one who owns the database could with an ordinary SQL tool: the log's guards go
        // first (an examiner cannot, on a server: ServerRolesTest).
        void tamper(const QString& sql)
        {
            unguard();
            t.exec(sql);
        }
        void unguard()
        {
            if (t.store() == StoreKind::Postgres) {
                t.exec(QStringLiteral("ALTER TABLE LOGG DISABLE TRIGGER USER"));
                return;
            }
            t.exec(QStringLiteral("DROP TRIGGER LOGG_KAN_IKKE_ENDRES"));
            t.exec(QStringLiteral("DROP TRIGGER LOGG_KAN_IKKE_SLETTES"));
        }
        TempDatabase t;
    };
};

TEST_P(LogChainTest, VerifyFindsTheFirstRowChangedRemovedOrSlippedIn)
{
    // The row a tool that knows the digest but not the head would add after row 4.
    ChainedRow forged{5, QStringLiteral("2026-12-10T10:00:00.000Z"), QStringLiteral("ola"), QStringLiteral("test vist"),
                      QStringLiteral("1"), QStringLiteral("psql"), {}};
    const auto forgedInsert = [&](Logged& l) {
        Statement s(l.t.db);
        EXPECT_TRUE(s.execDirect(QStringLiteral("SELECT KJEDE FROM LOGG WHERE LOPENR = 4")) && s.fetch() == Fetch::Row);
        const QByteArray digest = LogRowDigest(s.getText(1).toLatin1(), forged);
        s.closeCursor();
        return QStringLiteral("INSERT INTO LOGG (LOPENR, TIDSPUNKT, BRUKER, HENDELSE, ID, PROGRAM, KJEDE) VALUES "
                              "(5, '%1', 'ola', 'test vist', 1, 'psql', '%2')")
            .arg(forged.time, QString::fromLatin1(digest));
    };
    const struct {
        const char* what;
        std::function<QString(Logged&)> sql; // empty: untouched
        QString says;
    } cases[] = {
        {"untouched", {}, QStringLiteral("Tilgangsloggen er hel (4 rader)")},
        {"a user changed", [](Logged&) { return QStringLiteral("UPDATE LOGG SET BRUKER = 'kari' WHERE LOPENR = 3"); },
         QStringLiteral("Tilgangsloggen er ikke hel: rad nummer 3 (")},
        {"a row removed", [](Logged&) { return QStringLiteral("DELETE FROM LOGG WHERE LOPENR = 2"); },
         QStringLiteral("følger ikke etter rad nummer 1")},
        {"the newest rows removed", [](Logged&) { return QStringLiteral("DELETE FROM LOGG WHERE LOPENR >= 3"); },
         QStringLiteral("de nyeste radene, etter rad nummer 2 og til og med nummer 4, er fjernet")},
        {"a row put in by hand",
         [](Logged&) {
             return QStringLiteral("INSERT INTO LOGG (LOPENR, TIDSPUNKT, BRUKER, HENDELSE, PROGRAM) "
                                   "VALUES (5, '2026-12-10T10:00:00.000Z', 'ola', 'test vist', 'psql')");
         },
         QStringLiteral("rad nummer 5 (2026-12-10T10:00:00.000Z, ola, test vist) er endret etter at den ble skrevet, "
                        "eller satt inn utenom programmet")},
        {"a row put in with its digest", forgedInsert,
         QStringLiteral("rad nummer 5 og radene etter den er satt inn utenom programmet")},
        {"the log dropped", [](Logged&) { return QStringLiteral("DROP TABLE LOGG"); },
         QStringLiteral("mangler tilgangsloggen (tabellen LOGG)")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Logged l(GetParam());
        if (c.sql)
            l.tamper(c.sql(l));
        const CliRun run = l.verify();
        EXPECT_EQ(run.status, c.sql ? 1 : 0) << str(run.err);
        EXPECT_TRUE((c.sql ? run.err : run.out).contains(c.says)) << str(run.out + run.err);
    }
}

TEST_P(LogChainTest, AnOlderLogIsChainedOnConnectingAndSaysFromWhere)
{
    Logged l(GetParam());
    // The database as the program made it before the chain (and, on a server, before its roles).
    l.unguard();
    l.t.exec(QStringLiteral("ALTER TABLE LOGG DROP COLUMN KJEDE"));
    l.t.exec(QStringLiteral("DROP TABLE LOGGHODE"));
    l.t.exec(QStringLiteral("DELETE FROM SKJEMATILLEGG WHERE TABELL = 'LOGGHODE'"));
    Database upgraded;
    ASSERT_TRUE(l.t.connect(upgraded));
    ASSERT_TRUE(LogAccess(upgraded, AccessEvent::Shown, 1));
    const CliRun run = l.verify();
    EXPECT_EQ(run.status, 0) << str(run.err);
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("Tilgangsloggen er hel (5 rader)\nRadene til og med nummer 4 ble "
                                                  "skrevet før loggen fikk kjeden")))
        << str(run.out);
}

TEST_P(LogChainTest, AnOrdinaryToolCannotChangeTheLogAndARowHeldBackUndoesTheAction)
{
    Logged l(GetParam());
    const bool sqlite = GetParam() == StoreKind::Sqlite;
    // Even the owner's tool, unless it takes the guards away first.
    for (const char* sql : {"UPDATE LOGG SET BRUKER = 'kari'", "DELETE FROM LOGG", "TRUNCATE LOGG"}) {
        if (sqlite && QByteArray(sql).startsWith("TRUNCATE"))
            continue; // not a statement SQLite has
        Statement s(l.t.db);
        EXPECT_FALSE(s.execDirect(QLatin1String(sql))) << sql;
        EXPECT_TRUE(s.diagnostic().contains(QStringLiteral("Tilgangsloggen kan bare få nye rader"))) << str(s.diagnostic());
    }
    // A trigger that makes the database drop every new row without a word.
    if (sqlite) {
        l.t.exec(QStringLiteral("CREATE TRIGGER svelg BEFORE INSERT ON LOGG BEGIN SELECT RAISE(IGNORE); END"));
    } else {
        l.t.exec(QStringLiteral("CREATE FUNCTION svelg() RETURNS trigger LANGUAGE plpgsql AS 'BEGIN RETURN NULL; END'"));
        l.t.exec(QStringLiteral("CREATE TRIGGER svelg BEFORE INSERT ON LOGG FOR EACH ROW EXECUTE FUNCTION svelg()"));
    }
    RecordingSink sink;
    TestRecord held = childAged(9, 0);
    EXPECT_FALSE(SaveTest(l.t.db, held, true));
    EXPECT_TRUE(sink.texts().join(u'\n').contains(QStringLiteral("holdt den tilbake"))) << str(sink.texts().join(u'\n'));
    EXPECT_EQ(held.person.ID, 0);
    EXPECT_EQ(l.verify().status, 0) << "what stands is still whole";
}

INSTANTIATE_TEST_SUITE_P(Stores, LogChainTest, ::testing::Values(StoreKind::Sqlite, StoreKind::Postgres),
                         [](const auto& info) { return info.param == StoreKind::Sqlite ? "Sqlite" : "Postgres"; });
