// The jobs every front end runs: each returns its failure instead of showing it, in the order
// the program has always said it, and a failed job changes neither the store nor the session.

#include "Ages.h"
#include "Pdf.h"
#include "RecordingSink.h"
#include "Rows.h"
#include "Str.h"
#include "TempDatabase.h"
#include "ToolRun.h"
#include "resources/StringTable.h"
#include "session/Session.h"
#include "store/tables/TestStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace tavlo::test {

namespace {

QStringList textsOf(const Failure& failure)
{
    QStringList texts;
    for (const FailureMessage& m : failure.messages)
        texts.append(m.text());
    return texts;
}

} // namespace

// A folder that cannot be opened: what is wrong with its database first, naming it, with the
// driver's text as the detail; then the system's own sentence. Nothing is shown by the job.
TEST(SessionJobs, OpeningAFolderSaysWhatIsWrongThenTheSystemsSentence)
{
    struct Case {
        const char* name;
        std::function<void(TempDatabase&)> spoil;
        QString lead; // empty: the folder opens
        QString named;
    };
    const QString table = QStringLiteral("TESTDATA_TAVLO_MF");
    const Case cases[] = {
        {"intact", [](TempDatabase&) {}, {}, {}},
        {"not a database",
         [](TempDatabase& t) {
             t.db.DbDisconnect();
             QFile file(t.databasePath());
             ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
             file.write(QByteArray(4096, 'x'));
         },
         QStringLiteral("Databasen "), QStringLiteral("TAVLO-II.mdb")},
        {"a table gone",
         [&table](TempDatabase& t) { t.exec(QStringLiteral("DROP TABLE %1").arg(table)); },
         QStringLiteral("Databasen "), table},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDatabase t;
        c.spoil(t);
        RecordingSink sink;
        Session session;
        const Outcome failure = OpenFolder(session, t.folder());
        EXPECT_TRUE(sink.messages.isEmpty()) << str(sink.texts().join(u'\n'));
        EXPECT_TRUE(session.databaseFolder.endsWith(QStringLiteral("/db/")));
        if (c.lead.isEmpty()) {
            EXPECT_FALSE(failure) << str(failure->text());
            EXPECT_TRUE(session.db.isConnected());
            continue;
        }
        ASSERT_TRUE(failure);
        ASSERT_EQ(failure->messages.size(), 2u) << str(failure->text());
        const FailureMessage& cause = failure->messages.front();
        EXPECT_TRUE(cause.message.startsWith(c.lead)) << str(cause.message);
        EXPECT_TRUE(cause.message.contains(c.named)) << str(cause.message);
        EXPECT_FALSE(cause.detail.isEmpty());
        EXPECT_EQ(failure->messages.back().message, LoadString(kStrConnectFailed));
        // The front end shows them as the program always did: one box each, cause first.
        Show(*failure);
        EXPECT_EQ(sink.texts(), textsOf(*failure));
    }
}

// With the access log refusing rows, every job that logs fails: it shows nothing itself,
// its failure carries the database's reason, and neither the tests stored nor the session's
// test change. The export and the backup leave no file.
TEST(SessionJobs, AJobThatFailsReturnsWhyAndChangesNothing)
{
    TempDatabase t;
    QTemporaryDir out;
    TestRecord stored = childAged(8, 3);
    stored.scores.AI = 9;
    ASSERT_TRUE(SaveTest(t.db, stored, true));
    const int id = stored.person.ID;

    struct Case {
        const char* name;
        std::function<Outcome(Session&)> job;
        QString leftBehind; // a file the job must not have made
    };
    const QString exported = out.filePath(QStringLiteral("eksport.txt"));
    const QString backup = out.filePath(QStringLiteral("kopi.mdb"));
    const Case cases[] = {
        {"read", [id](Session& s) { return ReadStoredTest(s, id); }, {}},
        {"read and score", [id](Session& s) { return OpenAndScore(s, id); }, {}},
        {"save new",
         [](Session& s) {
             s.test = childAged(6, 1);
             s.testIsNew = true;
             return SaveCurrentTest(s);
         },
         {}},
        {"save changed",
         [&stored](Session& s) {
             s.test = stored;
             s.test.scores.AI = 10;
             s.testIsNew = false;
             return SaveCurrentTest(s);
         },
         {}},
        {"delete", [id](Session& s) { return DeleteStoredTest(s, id); }, {}},
        {"list",
         [](Session& s) {
             PersonList list;
             return ListTests(s, list);
         },
         {}},
        {"list shown", [](Session& s) { return RecordListShown(s, 1); }, {}},
        {"export", [&exported](Session& s) { return ExportTests(s, exported).failure; }, exported},
        {"research export",
         [&exported](Session& s) {
             return ExportTests(s, exported, {}, ExportEncoding::Utf8, ExportFormat::Csv).failure;
         },
         exported},
        {"backup", [&backup](Session& s) { return BackUp(s, backup); }, backup},
    };
    t.exec(QStringLiteral("CREATE TRIGGER stengt BEFORE INSERT ON LOGG BEGIN SELECT RAISE(ABORT, 'loggen er stengt'); END"));
    const int persons = countOf(t.db, QStringLiteral("SELECT COUNT(*) FROM TESTPERSON"));
    const int rows = countOf(t.db, QStringLiteral("SELECT COUNT(*) FROM LOGG"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session session;
        ASSERT_FALSE(OpenFolder(session, t.folder()));
        session.test = childAged(12, 0);
        session.test.person.NAMN = QStringLiteral("Under arbeid");
        const bool wasNew = session.testIsNew;
        RecordingSink sink;
        const TestRecord before = session.test;
        const Outcome failure = c.job(session);
        EXPECT_TRUE(sink.messages.isEmpty()) << str(sink.texts().join(u'\n'));
        ASSERT_TRUE(failure);
        EXPECT_TRUE(failure->text().contains(QStringLiteral("loggen er stengt"))) << str(failure->text());
        EXPECT_EQ(countOf(t.db, QStringLiteral("SELECT COUNT(*) FROM TESTPERSON")), persons);
        EXPECT_EQ(countOf(t.db, QStringLiteral("SELECT AI FROM TESTDATA_TAVLO WHERE PERSONALDATA_ID = %1").arg(id)), 9);
        EXPECT_EQ(countOf(t.db, QStringLiteral("SELECT COUNT(*) FROM LOGG")), rows);
        // Whatever the job set up in the session stays as it was typed.
        if (QByteArray(c.name).startsWith("save")) {
            EXPECT_EQ(session.test.person.ID, QByteArray(c.name) == "save new" ? 0 : id);
            EXPECT_NE(session.testIsNew, QByteArray(c.name) == "save changed");
        } else {
            EXPECT_EQ(session.test.person.NAMN, before.person.NAMN);
            EXPECT_EQ(session.testIsNew, wasNew);
        }
        if (!c.leftBehind.isEmpty()) {
            EXPECT_FALSE(QFile::exists(c.leftBehind));
        }
        EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{});
    }
}

// A save that fails on a database this user may only read says so in one box, keeps what was
// typed, and gives the store's own words only as its detail.
TEST(SessionJobs, ASaveOnAReadOnlyDatabaseNamesItAndKeepsTheTest)
{
    TempDatabase t;
    Session session;
    ASSERT_FALSE(OpenFolder(session, t.folder()));
    // As found after the login; the file itself is writable, so the store's refusal is planted.
    session.readOnlyDatabase = t.databasePath();
    t.exec(QStringLiteral("CREATE TRIGGER skrivebeskyttet BEFORE INSERT ON TESTPERSON BEGIN "
                          "SELECT RAISE(ABORT, 'attempt to write a readonly database'); END"));
    session.test = childAged(9, 2);
    RecordingSink sink;
    const Outcome failure = SaveCurrentTest(session);
    ASSERT_TRUE(failure);
    EXPECT_TRUE(sink.messages.isEmpty());
    ASSERT_EQ(failure->messages.size(), 1u);
    const FailureMessage& m = failure->messages.front();
    EXPECT_EQ(m.icon, MessageIcon::Exclamation);
    EXPECT_TRUE(m.message.startsWith(ReadOnlyNotice(t.databasePath()))) << str(m.message);
    EXPECT_TRUE(m.message.endsWith(QStringLiteral("Testen er ikke lagret, men alt du har skrevet inn, er beholdt.")));
    EXPECT_TRUE(m.detail.startsWith(QStringLiteral("Melding fra databasen: "))) << str(m.detail);
    EXPECT_TRUE(m.detail.contains(QStringLiteral("readonly"))) << str(m.detail);
    EXPECT_TRUE(session.testIsNew);
    EXPECT_EQ(session.test.person.NAMN, QStringLiteral("Barn"));
}

} // namespace tavlo::test

namespace tavlo::test {

// Two tests of one child are compared, each logged as shown, the tool printing the same rows;
// tests of two children are refused before either is shown, in the program and in the tool.
TEST(SessionJobs, AComparisonTakesTwoTestsOfOneChildAndLogsEach)
{
    TempDatabase t;
    const auto stored = [&t](const char* name, Date born, Date tested) {
        TestRecord r = childWithEveryMeasure(8, 0);
        r.person.NAMN = QString::fromUtf8(name);
        r.person.BORNDATE = born;
        r.person.TESTDATE = tested;
        EXPECT_TRUE(SaveTest(t.db, r, true));
        return r.person.ID;
    };
    const int older = stored("Kari Nordmann", {2005, 3, 1}, {2012, 5, 2});
    const int newer = stored(" kari nordmann", {2005, 3, 1}, {2014, 5, 2});
    const int other = stored("Kari Nordmann", {2005, 3, 2}, {2013, 5, 2});
    const QString shown = QStringLiteral("SELECT COUNT(*) FROM LOGG WHERE HENDELSE = 'test vist' AND ID = %1");

    Session session;
    ASSERT_FALSE(OpenFolder(session, t.folder()));
    session.test.person.NAMN = QStringLiteral("Under arbeid");
    RecordingSink sink;
    Comparison c;
    ASSERT_FALSE(CompareStoredTests(session, newer, older, c));
    EXPECT_EQ(c.earlier.id, older);
    EXPECT_EQ(c.later.id, newer);
    EXPECT_EQ(c.earlier.testAge.years, 7);
    EXPECT_EQ(c.later.testAge.years, 9);
    EXPECT_FALSE(c.earlier.ageGroup.isEmpty());
    EXPECT_NE(c.earlier.ageGroup, c.later.ageGroup);
    EXPECT_EQ(session.test.person.NAMN, QStringLiteral("Under arbeid"));
    EXPECT_EQ(countOf(t.db, shown.arg(older)), 1);
    EXPECT_EQ(countOf(t.db, shown.arg(newer)), 1);

    const int rows = countOf(t.db, QStringLiteral("SELECT COUNT(*) FROM LOGG"));
    for (const auto& [a, b] : {std::pair(older, other), std::pair(other, newer), std::pair(older, older)}) {
        const Outcome refused = CompareStoredTests(session, a, b, c);
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->messages.front().icon, MessageIcon::Exclamation);
        EXPECT_TRUE(refused->text().contains(a == b ? QStringLiteral("seg selv") : QStringLiteral("ikke av samme barn")))
            << str(refused->text());
    }
    EXPECT_EQ(countOf(t.db, QStringLiteral("SELECT COUNT(*) FROM LOGG")), rows) << "nothing shown, nothing logged";
    EXPECT_TRUE(sink.messages.isEmpty()) << str(sink.texts().join(u'\n'));

    // The tool: the same lines, and the same refusal with status 1.
    const CliRun same = runCli({QStringLiteral("compare"), t.folder(), QString::number(older), QString::number(newer)});
    EXPECT_EQ(same.status, 0) << str(same.err);
    EXPECT_EQ(same.out, ComparisonLines(c).join(u'\n') + u'\n');
    const CliRun two = runCli({QStringLiteral("compare"), t.folder(), QString::number(older), QString::number(other)});
    EXPECT_EQ(two.status, 1);
    EXPECT_TRUE(two.err.contains(QStringLiteral("ikke av samme barn"))) << str(two.err);
    EXPECT_TRUE(two.out.isEmpty());

    // On paper: the title, both tests, every domain's table, then the profile on its own page;
    // the print logged for each test.
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("sammenligning.pdf"));
    const QString printed = QStringLiteral("SELECT COUNT(*) FROM LOGG WHERE HENDELSE = 'skrevet ut' AND ID = %1");
    const CliRun paper = runCli({QStringLiteral("compare"), t.folder(), QString::number(newer), QString::number(older),
                                 QStringLiteral("--pdf"), pdf});
    ASSERT_EQ(paper.status, 0) << str(paper.err);
    const int pages = pdfPages(pdf);
    ASSERT_GE(pages, 2);
    const QString first = pdfPageText(pdf, 1);
    for (const QString& expected : {ComparisonTitle(c), ComparedTestLine(QStringLiteral("Før"), c.earlier),
                                    ComparedTestLine(QStringLiteral("Etter"), c.later), c.sections[0].title}) {
        EXPECT_TRUE(first.contains(expected.simplified())) << str(expected);
    }
    QString all;
    for (int page = 1; page <= pages; ++page)
        all += pdfPageText(pdf, page) + u' ';
    for (const ComparisonSection& section : c.sections) {
        EXPECT_TRUE(all.contains(section.title.simplified())) << str(section.title);
        for (const ComparisonRow& row : section.rows)
            EXPECT_TRUE(all.contains(row.label.simplified())) << str(row.label);
    }
    EXPECT_TRUE(pdfPageText(pdf, pages).contains(QStringLiteral("Profil")));
    EXPECT_EQ(countOf(t.db, printed.arg(older)), 1);
    EXPECT_EQ(countOf(t.db, printed.arg(newer)), 1);
}

} // namespace tavlo::test
