// A clinic's database on the test server as its own roles make it: examiners logging in as
// themselves, what the server refuses them, the administrator's user add/remove/list, the
// change of a password at the login, and the move of a database made with the old shared
// account.
#include "Ages.h"
#include "ToolRun.h"
#include "RecordingSink.h"
#include "Str.h"
#include "TempDatabase.h"
#include "TestServer.h"
#include "app/AppContext.h"
#include "app/LoginDialog.h"
#include "app/StartUp.h"
#include "store/accounts/AccessLog.h"
#include "store/creation/NewDatabase.h"
#include "store/accounts/Security.h"
#include "store/creation/ServerDatabase.h"
#include "store/accounts/ServerRoles.h"
#include "store/tables/TestStore.h"
#include "store/connection/Workgroup.h"
#include "resources/StringTable.h"
#include "vandrel/vandrel.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tavlo;
using namespace tavlo::test;

namespace {

QString drawn(int digits = 8)
{
    QString text;
    while (text.size() < digits)
        text += QString::number(QRandomGenerator::global()->generate(), 16);
    return text.left(digits);
}

class ServerRoles : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testServer())
            GTEST_SKIP() << kNoTestServer;
    }

    // The program's way in: the folder waits, the login opens the connection as the examiner.
    static int logIn(Database& db, const TempDatabase& t, const ServerLogin& who, bool loggingIn = true)
    {
        EXPECT_EQ(db.awaitLogin(t.databasePath(), t.workgroupPath()), 1);
        return CheckLogin(db, who.user, who.password, loggingIn);
    }

    // An examiner of t made by the administrator, as user add makes one.
    static ServerLogin addExaminer(TempDatabase& t, const QString& password)
    {
        const ServerLogin who{QStringLiteral("u") + drawn(), password};
        QString message;
        EXPECT_EQ(AddUser(t.db, who.user, who.password, &message), UserChange::Done) << str(message);
        t.forgetRoleAfterwards(who.user);
        return who;
    }

    static std::vector<AccessLogRow> log(Database& db)
    {
        QString error;
        auto rows = ReadAccessLog(db, {}, &error);
        EXPECT_TRUE(rows) << str(error);
        return rows.value_or(std::vector<AccessLogRow>{});
    }

    static CliRun cli(const QStringList& args, const QByteArray& input = {})
    {
        return runCli(args, input);
    }
};

} // namespace

TEST_F(ServerRoles, EachExaminerLogsInAsThemselfAndIsRefusedWhatIsNotTheirs)
{
    RecordingSink sink;
    TempDatabase t(StoreKind::Postgres);
    const ServerLogin first = t.examiner();
    const ServerLogin second = addExaminer(t, QStringLiteral("Andre;pass}{="));

    // What no examiner may do: the log but add to it, the norms, the schema, the roles.
    const char* forbidden[] = {
        "UPDATE LOGG SET MERKNAD = 'x'",
        "DELETE FROM LOGG",
        "TRUNCATE LOGG",
        "DROP TABLE LOGG",
        "ALTER TABLE LOGG DISABLE TRIGGER USER",
        "DROP TRIGGER LOGG_BRUKER ON LOGG",
        "DELETE FROM LOGGHODE",
        "UPDATE NORMER_TAVLO SET S1 = S1 + 1",
        "DELETE FROM NORMGRUPPER_TAVLO",
        "INSERT INTO SKJEMATILLEGG (TABELL) VALUES ('X')",
        "CREATE TABLE STJAALET (A INTEGER)",
        "ALTER TABLE TESTPERSON ADD COLUMN X INTEGER",
        "CREATE ROLE inntrenger LOGIN",
        "SELECT PASSWORD FROM SEC",
    };
    const auto logRows = [&] {
        Statement s(t.db);
        EXPECT_TRUE(s.execDirect(QStringLiteral("SELECT COUNT(*) FROM LOGG")) && s.fetch() == Fetch::Row);
        return s.getInt(1).value_or(-1);
    };
    for (const ServerLogin& who : {first, second}) {
        SCOPED_TRACE(str(who.user));
        Database db;
        ASSERT_EQ(logIn(db, t, who), 1) << str(sink.texts().join(u'\n'));
        EXPECT_EQ(db.serverRole(), who.user);
        TestRecord child = childAged(9, 3);
        child.person.NAMN = who.user;
        ASSERT_TRUE(SaveTest(db, child, true)) << str(sink.texts().join(u'\n'));
        TestRecord back;
        EXPECT_EQ(ReadTest(db, back, child.person.ID), 1);

        const int before = logRows();
        for (const char* sql : forbidden) {
            Statement s(db);
            EXPECT_FALSE(s.execDirect(QLatin1String(sql))) << sql;
        }
        // Under the other examiner's name, or the administrator's: refused by the server.
        for (const QString& other : {first.user == who.user ? second.user : first.user, serverAdmin().user}) {
            Statement s(db);
            EXPECT_FALSE(s.execDirect(QStringLiteral("INSERT INTO LOGG (LOPENR, TIDSPUNKT, BRUKER, HENDELSE, PROGRAM) "
                                                     "VALUES (999, 'nå', '%1', 'test vist', 'psql')")
                                          .arg(other)));
            EXPECT_TRUE(s.diagnostic().contains(QStringLiteral("skrives under innlogget rolle"))) << str(s.diagnostic());
        }
        EXPECT_EQ(logRows(), before) << "nothing of it reached the log";
    }
    // Every row of theirs under their own name, the saves included.
    QStringList rows;
    for (const AccessLogRow& row : log(t.db))
        rows << row.user + u'|' + row.event;
    for (const ServerLogin& who : {first, second}) {
        EXPECT_TRUE(rows.contains(who.user + QStringLiteral("|innlogget"))) << str(rows.join(u'\n'));
        EXPECT_TRUE(rows.contains(who.user + QStringLiteral("|ny test lagret"))) << str(rows.join(u'\n'));
    }

    // A row that names nobody gets the session's role from the server itself.
    {
        Database db;
        ASSERT_EQ(logIn(db, t, second, false), 1);
        Statement s(db);
        ASSERT_TRUE(s.execDirect(QStringLiteral("INSERT INTO LOGG (LOPENR, TIDSPUNKT, HENDELSE, PROGRAM) "
                                                "VALUES (998, 'nå', 'test vist', 'psql')")))
            << str(s.diagnostic());
        EXPECT_EQ(log(t.db).back().user, second.user);
    }

    // Refused at the login: a wrong password, a role that does not exist, and a role of another
    // database on the same server; the server does not say which.
    const ServerLogin refused[] = {{first.user, first.password + u'x'},
                                   {QStringLiteral("ingen") + drawn(4), first.password},
                                   testServer()->examiner,
                                   // Never sent: it would end the name and name another server.
                                   {QStringLiteral("x;Port=1"), first.password}};
    for (const ServerLogin& who : refused) {
        Database db;
        EXPECT_EQ(logIn(db, t, who), 8) << str(who.user);
        EXPECT_FALSE(db.isConnected());
    }
    EXPECT_TRUE(sink.messages.isEmpty()) << str(sink.texts().join(u'\n'));
}

TEST_F(ServerRoles, TheAdministratorAddsListsAndRemovesExaminersAsRoles)
{
    TempDatabase t(StoreKind::Postgres);
    const QString folder = t.folder();
    const QString admin = serverAdmin().user;
    const QString name = QStringLiteral("k") + drawn();
    t.forgetRoleAfterwards(name);
    const auto user = [&](const QStringList& args, const QByteArray& input = {}) {
        return cli(QStringList{QStringLiteral("user")} + args + QStringList{QStringLiteral("--user"), admin}, input);
    };

    // The administrator's password from the password file, the examiner's from standard input.
    CliRun run = user({QStringLiteral("add"), folder, name}, "Blåbær-1\n");
    ASSERT_EQ(run.status, 0) << str(run.err);
    EXPECT_EQ(run.out, QStringLiteral("Brukeren %1 er lagt til.\n").arg(name));
    run = user({QStringLiteral("list"), folder});
    EXPECT_EQ(run.status, 0) << str(run.err);
    QStringList listed = {t.examiner().user + QStringLiteral("\trolle"), name + QStringLiteral("\trolle")};
    listed.sort();
    EXPECT_EQ(lines(run.out), listed);
    {
        Database db;
        EXPECT_EQ(logIn(db, t, {name, QStringLiteral("Blåbær-1")}), 1) << "the server checks it: SCRAM";
    }

    expectRefused(user, {
        {{QStringLiteral("add"), folder, name}, "annet1\n", 1, QStringLiteral("Rollen %1 finnes allerede").arg(name)},
        {{QStringLiteral("add"), folder, testServer()->examiner.user}, "annet1\n", 1,
         QStringLiteral("Rollen %1 finnes allerede på databasetjeneren").arg(testServer()->examiner.user)},
        {{QStringLiteral("add"), folder, QStringLiteral("pe")}, "passord\n", 1,
         QStringLiteral("Brukernavnet må ha 3 til 9 tegn.")},
        {{QStringLiteral("add"), folder, QStringLiteral("ab;c")}, "passord\n", 1, kUnsendableName},
        {{QStringLiteral("add"), folder, QStringLiteral("per") + drawn(4)}, QByteArray(65, 'x') + '\n', 1,
         QStringLiteral("Passordet må ha 3 til 64 tegn.")},
        {{QStringLiteral("remove"), folder, admin}, {}, 1, QStringLiteral("Brukeren %1 finnes ikke.").arg(admin)},
        {{QStringLiteral("remove"), folder, testServer()->examiner.user}, {}, 1,
         QStringLiteral("Brukeren %1 finnes ikke.").arg(testServer()->examiner.user)},
    });
    // An examiner cannot make roles; a wrong password opens nothing; no role at all is asked for.
    const ServerLogin examiner = t.examiner();
    run = cli({QStringLiteral("user"), QStringLiteral("add"), folder, QStringLiteral("x") + drawn(), QStringLiteral("--user"),
               examiner.user},
              examiner.password.toUtf8() + "\nhemmelig\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("permission denied to create role"))) << str(run.err);
    run = cli({QStringLiteral("list"), folder, QStringLiteral("--user"), examiner.user}, "feil\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("tok ikke imot rollen %1").arg(examiner.user))) << str(run.err);
    const QByteArray pguser = qgetenv("PGUSER");
    qunsetenv("PGUSER");
    run = cli({QStringLiteral("list"), folder});
    qputenv("PGUSER", pguser);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("Oppgi rollen med --user NAVN"))) << str(run.err);
    run = cli({QStringLiteral("list"), folder, QStringLiteral("--user"), examiner.user}, examiner.password.toUtf8() + '\n');
    EXPECT_EQ(run.status, 0) << str(run.err);

    run = user({QStringLiteral("remove"), folder, name});
    EXPECT_EQ(run.status, 0) << str(run.err);
    {
        Database db;
        EXPECT_EQ(logIn(db, t, {name, QStringLiteral("Blåbær-1")}), 8) << "the role is gone";
    }
    QStringList changes;
    for (const AccessLogRow& row : log(t.db)) {
        if (row.note == name)
            changes << row.user + u'|' + row.event;
    }
    EXPECT_EQ(changes, (QStringList{admin + QStringLiteral("|bruker lagt til"), admin + QStringLiteral("|bruker fjernet")}));
}

// "Endre passord" in the login dialog changes the examiner's password on the server, up to 64
// characters of any kind; the old one stops working at once.
TEST_F(ServerRoles, TheLoginDialogChangesTheExaminersServerPassword)
{
    const QString longest = QStringLiteral("Ærlig;{}=æøå ") + QString(51, u'x');
    ASSERT_EQ(longest.size(), 64);
    // The last as the server's client library prepares it (SASLprep): a full-width letter, a
    // no-break space and a ligature become their plain forms on both sides.
    for (const QString& fresh : {longest, QStringLiteral("Blåbærsyltetøy-9"), QStringLiteral("Ａrk\u00A0ﬁn-1\u00AD")}) {
        SCOPED_TRACE(str(fresh));
        RecordingSink sink;
        TempDatabase t(StoreKind::Postgres);
        const ServerLogin who = t.examiner();
        AppContext ctx;
        ASSERT_EQ(ctx.db.awaitLogin(t.databasePath(), t.workgroupPath()), 1);
        LoginDialog dialog(ctx.db);
        QTest::mouseClick(dialog.changeButton(), Qt::LeftButton);
        dialog.userField()->setText(who.user);
        dialog.passwordField()->setText(who.password);
        dialog.newPasswordField()->setText(fresh);
        dialog.confirmField()->setText(fresh);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        EXPECT_EQ(sink.texts(), QStringList{QStringLiteral("Nytt passord bekreftet!")});
        sink.messages.clear();

        dialog.userField()->setText(who.user);
        dialog.passwordField()->setText(who.password);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        EXPECT_EQ(sink.texts(), QStringList{QStringLiteral("Feil passord!")});
        dialog.passwordField()->setText(fresh);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), 1);
        EXPECT_EQ(ctx.db.serverRole(), who.user);
        QStringList events;
        for (const AccessLogRow& row : log(t.db)) {
            if (row.user == who.user)
                events << row.event;
        }
        EXPECT_EQ(events, (QStringList{QStringLiteral("passord endret"), QStringLiteral("innlogget")}));
    }
}

TEST_F(ServerRoles, ADatabaseOfTheOldSharedAccountMovesToRolesOfItsOwn)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("gammel"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString database = QStringLiteral("tavlo_gammel_") + drawn();
    const ServerLogin old{QStringLiteral("felles_") + drawn(), drawn(16)};
    const ServerLogin admin{QStringLiteral("adm_") + drawn(), drawn(16)};
    const struct Cleanup {
        QString database, group;
        QStringList roles;
        ~Cleanup()
        {
            runAsSuperuser(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(database));
            for (const QString& role : roles)
                runAsSuperuser(QStringLiteral("DROP ROLE IF EXISTS %1").arg(QuotedIdentifier(role)));
            runAsSuperuser(QStringLiteral("DROP ROLE IF EXISTS %1").arg(group));
        }
    } cleanup{database, database + QStringLiteral("_undersokere"), {old.user, admin.user, QStringLiteral("kari")}};

    // As it was made before: one account for every program, owning the database and its tables,
    // its examiners in SEC.
    ASSERT_TRUE(runAsSuperuser(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(old.user, old.password)));
    ASSERT_TRUE(runAsSuperuser(QStringLiteral("CREATE DATABASE %1 OWNER %2").arg(database, old.user)));
    QString refusal;
    const auto connectionTemplate =
        ServerConnectionTemplate(testServer()->server + QStringLiteral(";Database=") + database, &refusal);
    ASSERT_TRUE(connectionTemplate) << str(refusal);
    const QString workgroup = QDir(folder).filePath(kWorkgroupFileName);
    ASSERT_TRUE(WriteWorkgroupFile(workgroup, *connectionTemplate, nullptr));
    TestRecord child;
    {
        Database db;
        ASSERT_TRUE(db.connectWith(
            FillConnectionTemplate(*connectionTemplate, {QString(), QString(), old.user, old.password}), false));
        QString error;
        ASSERT_TRUE(FillNewDatabase(db, StoreKind::Postgres, QStringLiteral("kari"), QStringLiteral("kari123"), &error))
            << str(error);
        child = childAged(10, 2);
        child.person.NAMN = QStringLiteral("Før flyttingen");
        ASSERT_TRUE(SaveTest(db, child, true));
    }
    // log's --user picks lines: it connects as --role.
    const auto asRole = [&](const QStringList& args, const ServerLogin& who) {
        const QString option = args.first() == u"log" ? QStringLiteral("--role") : QStringLiteral("--user");
        return cli(args + QStringList{option, who.user}, who.password.toUtf8() + '\n');
    };
    const QStringList list = {QStringLiteral("list"), folder};
    const QStringList upgrade = {QStringLiteral("init-db"), folder, QStringLiteral("--upgrade-roles")};
    EXPECT_EQ(asRole(list, old).status, 0) << "the old account works until the move";

    // An administrator who may make roles but does not own the database yet: told what the
    // server's superuser must do first, and nothing changes.
    ASSERT_TRUE(runAsSuperuser(QStringLiteral("CREATE ROLE %1 LOGIN CREATEROLE PASSWORD '%2'").arg(admin.user, admin.password)));
    CliRun run = asRole(upgrade, admin);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("ALTER DATABASE %1 OWNER TO %2").arg(QuotedIdentifier(database),
                                                                                      QuotedIdentifier(admin.user))))
        << str(run.err);
    EXPECT_EQ(asRole(list, old).status, 0) << "still the old account's";

    ASSERT_TRUE(runAsSuperuser(QStringLiteral("ALTER DATABASE %1 OWNER TO %2").arg(database, admin.user)));
    run = asRole(upgrade, admin);
    ASSERT_EQ(run.status, 0) << str(run.err);
    EXPECT_TRUE(run.out.contains(QStringLiteral("den gamle felles kontoen %1 kan ikke lenger logge inn").arg(old.user)))
        << str(run.out);
    EXPECT_TRUE(run.out.contains(QStringLiteral(": kari"))) << "the examiners that need a role: " << str(run.out);

    run = asRole(list, old);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("tok ikke imot rollen"))) << str(run.err);
    run = cli({QStringLiteral("user"), QStringLiteral("add"), folder, QStringLiteral("kari"), QStringLiteral("--user"),
               admin.user},
              admin.password.toUtf8() + "\nkari-ny-1\n");
    ASSERT_EQ(run.status, 0) << str(run.err);
    run = asRole(list, {QStringLiteral("kari"), QStringLiteral("kari-ny-1")});
    EXPECT_EQ(run.status, 0) << str(run.err);
    EXPECT_TRUE(run.out.contains(QStringLiteral("Før flyttingen"))) << "the tests stayed";
    run = asRole({QStringLiteral("log"), folder, QStringLiteral("--verify")}, admin);
    EXPECT_EQ(run.status, 0) << str(run.err);
    run = asRole({QStringLiteral("log"), folder}, admin);
    EXPECT_TRUE(run.out.contains(admin.user + QStringLiteral("\tegne roller innført\t\ttavlo-ii-cli\t") + old.user))
        << str(run.out);

    run = asRole(upgrade, admin);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains(QStringLiteral("har allerede egne roller"))) << str(run.err);
}

// The start-up on a server folder opens no connection: it only makes sure the server answers.
TEST_F(ServerRoles, AServerThatDoesNotAnswerStopsTheStartUpWithItsName)
{
    RecordingSink sink;
    QTemporaryDir dir;
    const int port = 1; // nothing listens there
    QString refusal;
    const auto connectionTemplate =
        ServerConnectionTemplate(QStringLiteral("Server=127.0.0.1;Port=%1;Database=tavlo").arg(port), &refusal);
    ASSERT_TRUE(connectionTemplate) << str(refusal);
    ASSERT_TRUE(WriteWorkgroupFile(dir.filePath(kWorkgroupFileName), *connectionTemplate, nullptr));
    ASSERT_EQ(cDoSetRegistryValue(kRegistryKey, "DatabaseFolder", (dir.path() + u'/').toUtf8().constData()), 1);
    AppContext context;
    StartUpSeams seams;
    seams.login = [](QWidget*, Database&) {
        ADD_FAILURE() << "no login without a server";
        return 0;
    };
    EXPECT_FALSE(RunStartUp(nullptr, context, seams));
    EXPECT_EQ(sink.texts(), (QStringList{QStringLiteral("Databasetjeneren 127.0.0.1 (port %1) svarer ikke. Kontroller at "
                                                        "tjeneren er i gang og at nettverket virker, eller spør den som har "
                                                        "ansvar for databasen.")
                                             .arg(port),
                                         LoadString(60)}));
}
