// The examiners' accounts in a file database: digests written by every path, the upgrade of a
// password kept as typed, and user add/remove/list of the tool.
#include "ToolRun.h"
#include "PasswordRounds.h"
#include "RecordingSink.h"
#include "Str.h"
#include "TempDatabase.h"
#include "store/accounts/AccessLog.h"
#include "store/accounts/PasswordHash.h"
#include "store/accounts/Security.h"

#include <QPasswordDigestor>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tavlo;
using tavlo::test::CliRun;
using tavlo::test::expectRefused;
using tavlo::test::kTestPasswordIterations;
using tavlo::test::lines;
using tavlo::test::PasswordRounds;
using tavlo::test::RecordingSink;
using tavlo::test::runCli;
using tavlo::test::TempDatabase;
using tavlo::test::str;

namespace {

QString storedPassword(Database& db, const QString& user)
{
    Statement s(db);
    EXPECT_TRUE(s.prepare(QStringLiteral("SELECT PASSWORD FROM SEC WHERE USERID = ?")) && s.bindText(1, user)
                && s.execute());
    EXPECT_EQ(s.fetch(), Fetch::Row) << str(user);
    return s.getText(1);
}

// The digest checked by another implementation of PBKDF2 than the program's: its count,
// salt and length as the value states them.
void expectDigestOf(const QString& password, const QString& stored, int iterations = kPasswordIterations)
{
    const QStringList parts = stored.split(u'$');
    ASSERT_EQ(parts.size(), 5) << str(stored);
    EXPECT_EQ(parts[1], QStringLiteral("pbkdf2-sha256"));
    EXPECT_EQ(parts[2], QStringLiteral("i=%1").arg(iterations));
    const auto decode = [](const QString& text) {
        return QByteArray::fromBase64(text.toLatin1(), QByteArray::Base64Encoding | QByteArray::OmitTrailingEquals);
    };
    const QByteArray salt = decode(parts[3]);
    EXPECT_EQ(salt.size(), 16);
    EXPECT_EQ(decode(parts[4]),
              QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt,
                                                 iterations, 32));
}

std::vector<QString> events(Database& db)
{
    QString error;
    const auto rows = ReadAccessLog(db, {}, &error);
    EXPECT_TRUE(rows) << str(error);
    std::vector<QString> out;
    for (const AccessLogRow& row : rows.value_or(std::vector<AccessLogRow>{}))
        out.push_back(row.user + u'|' + row.event + u'|' + row.note);
    return out;
}

// The digests these check are the program's own: its count, not the test programs' lower one.
class Users : public ::testing::TestWithParam<StoreKind> {
    PasswordRounds m_real{kPasswordIterations};
};

} // namespace

// The one case at the program's count, kept to what proves it: a digest of the count, by both
// implementations, and matching it. The rest hold at any count and run at the test programs'.
TEST(PasswordHash, NewDigestsHaveTheProgramsCount)
{
    const PasswordRounds real(kPasswordIterations);
    const QString a = HashPassword(QStringLiteral("hemmelig"));
    expectDigestOf(QStringLiteral("hemmelig"), a);
    EXPECT_TRUE(PasswordMatchesHash(QStringLiteral("hemmelig"), a));
    EXPECT_FALSE(PasswordNeedsRehash(a));
}

TEST(PasswordHash, DigestsAreSaltedSelfDescribingAndMatchOnlyTheirPassword)
{
    ASSERT_EQ(PasswordIterations(), kTestPasswordIterations);
    const QString a = HashPassword(QStringLiteral("hemmelig"));
    const QString b = HashPassword(QStringLiteral("hemmelig"));
    EXPECT_NE(a, b) << "the same password twice gives two digests";
    expectDigestOf(QStringLiteral("hemmelig"), a, kTestPasswordIterations);
    expectDigestOf(QStringLiteral("hemmelig"), b, kTestPasswordIterations);
    EXPECT_TRUE(PasswordMatchesHash(QStringLiteral("hemmelig"), a));
    for (const char* other : {"Hemmelig", "hemmeli", "hemmelig ", ""})
        EXPECT_FALSE(PasswordMatchesHash(QString::fromUtf8(other), a)) << other;
    // Æ, ø and å go in as UTF-8, so what is typed matches what was stored.
    const QString norsk = HashPassword(QStringLiteral("blåbær"), 1000);
    EXPECT_TRUE(PasswordMatchesHash(QStringLiteral("blåbær"), norsk));
    EXPECT_FALSE(PasswordMatchesHash(QStringLiteral("blabaer"), norsk));

    // A damaged or foreign value matches nothing, and is read as a password kept as typed.
    const QString cut = a.left(a.size() - 4);
    QString otherCount = a;
    otherCount.replace(QStringLiteral("i=%1$").arg(kTestPasswordIterations),
                       QStringLiteral("i=%1$").arg(kTestPasswordIterations - 1));
    ASSERT_NE(otherCount, a);
    for (const QString& bad : {cut, otherCount, QStringLiteral("$pbkdf2-sha256$i=0$AAAA$AAAA"),
                               QStringLiteral("$pbkdf2-sha256$i=10$*$") + a.section(u'$', 4),
                               QStringLiteral("hemmelig")}) {
        EXPECT_FALSE(PasswordMatchesHash(QStringLiteral("hemmelig"), bad)) << str(bad);
    }
    EXPECT_FALSE(IsPasswordHash(QStringLiteral("hemmelig")));
    EXPECT_TRUE(PasswordNeedsRehash(QStringLiteral("hemmelig")));
    EXPECT_TRUE(PasswordNeedsRehash(HashPassword(QStringLiteral("x"), 1000))) << "fewer rounds than today's";
    EXPECT_FALSE(PasswordNeedsRehash(a));
}

// A login holds a digest to the count in force: at the test programs' count it is left as it
// is, so no test comes to hash again at the full count behind its back.
TEST(PasswordHash, ALoginWritesAgainOnlyADigestOfFewerRoundsThanTheCountInForce)
{
    const auto stated = [](int iterations) { return QStringLiteral("$pbkdf2-sha256$i=%1$").arg(iterations); };
    for (const int inForce : {kTestPasswordIterations, kPasswordIterations}) {
        TempDatabase t;
        const QString made = storedPassword(t.db, QStringLiteral("demo"));
        EXPECT_TRUE(made.startsWith(stated(kTestPasswordIterations))) << str(made);
        const PasswordRounds rounds(inForce);
        EXPECT_EQ(CheckLogin(t.db, QStringLiteral("demo"), QStringLiteral("demo123"), true), 1);
        const QString after = storedPassword(t.db, QStringLiteral("demo"));
        EXPECT_EQ(after == made, inForce == kTestPasswordIterations) << inForce;
        EXPECT_TRUE(after.startsWith(stated(inForce))) << str(after);
        EXPECT_TRUE(PasswordMatchesHash(QStringLiteral("demo123"), after));
    }
}

TEST_P(Users, APasswordKeptAsTypedLogsInOnceAndIsThenADigest)
{
    TempDatabase t(GetParam());
    // A database from before digests and the log: SEC as the old files had it, and no record of
    // added tables.
    t.exec(QStringLiteral("DROP TABLE SKJEMATILLEGG"));
    t.exec(QStringLiteral("DROP TABLE LOGG"));
    t.exec(QStringLiteral("DROP TABLE SEC"));
    t.exec(QStringLiteral("CREATE TABLE SEC (USERID VARCHAR(50) NOT NULL PRIMARY KEY, PASSWORD VARCHAR(10))"));
    t.exec(QStringLiteral("INSERT INTO SEC (USERID, PASSWORD) VALUES ('gammel', 'Hemmelig12'), ('kari', 'kari123')"));

    // Connecting brings the tables up to date; nothing else changes.
    Database db;
    ASSERT_TRUE(t.connect(db));
    EXPECT_TRUE(events(db).empty());
    EXPECT_EQ(storedPassword(db, QStringLiteral("gammel")), QStringLiteral("Hemmelig12"));

    RecordingSink sink;
    // Compared as before: ten characters read back, exactly.
    EXPECT_EQ(CheckLogin(db, QStringLiteral("gammel"), QStringLiteral("hemmelig12"), true), 8);
    EXPECT_EQ(storedPassword(db, QStringLiteral("gammel")), QStringLiteral("Hemmelig12"));
    EXPECT_EQ(CheckLogin(db, QStringLiteral("gammel"), QStringLiteral("Hemmelig12"), true), 1);
    const QString digest = storedPassword(db, QStringLiteral("gammel"));
    expectDigestOf(QStringLiteral("Hemmelig12"), digest);
    EXPECT_EQ(storedPassword(db, QStringLiteral("kari")), QStringLiteral("kari123")) << "only the user who logged in";

    // Still accepted afterwards, from the digest, which then stays as it is.
    Database again;
    ASSERT_TRUE(t.connect(again));
    EXPECT_EQ(CheckLogin(again, QStringLiteral("gammel"), QStringLiteral("Hemmelig12"), true), 1);
    EXPECT_EQ(storedPassword(again, QStringLiteral("gammel")), digest);
    EXPECT_EQ(CheckLogin(again, QStringLiteral("gammel"), QStringLiteral("Hemmelig1"), true), 8);
    EXPECT_EQ(CheckLogin(again, QStringLiteral("ingen"), QStringLiteral("Hemmelig12"), true), 9);
    EXPECT_TRUE(sink.messages.isEmpty()) << str(sink.texts().join(u'\n'));

    // Refusals under the typed name, never with the password; the login as the user.
    EXPECT_EQ(events(again), (std::vector<QString>{QStringLiteral("gammel|innlogging avvist|feil passord"),
                                                   QStringLiteral("gammel|innlogget|"),
                                                   QStringLiteral("gammel|innlogget|"),
                                                   QStringLiteral("gammel|innlogging avvist|feil passord"),
                                                   QStringLiteral("ingen|innlogging avvist|ukjent bruker")}));
    EXPECT_EQ(again.actor(), QStringLiteral("gammel"));
}

namespace {

CliRun userJob(const QStringList& args, const QByteArray& input = {})
{
    return runCli(QStringList{QStringLiteral("user")} + args, input);
}

// kari and ola added by the tool with one password, ola's line ending in CR LF; then kari
// logs in.
void addKariAndOla(Database& db, const QString& folder)
{
    CliRun run = userJob({QStringLiteral("add"), folder, QStringLiteral("kari")}, "blåbær1\n");
    EXPECT_EQ(run.status, 0) << str(run.err);
    EXPECT_EQ(run.out, QStringLiteral("Brukeren kari er lagt til.\n"));
    run = userJob({QStringLiteral("add"), folder, QStringLiteral("ola")}, "blåbær1\r\n");
    EXPECT_EQ(run.status, 0) << str(run.err);
    EXPECT_EQ(CheckLogin(db, QStringLiteral("kari"), QStringLiteral("blåbær1"), true), 1);
}

} // namespace

TEST_P(Users, ToolAddsUsersWithDigestsOfTheirPasswords)
{
    TempDatabase t(GetParam()); // user "demo"
    Database db;
    ASSERT_TRUE(t.connect(db));
    addKariAndOla(db, t.folder());
    const QString kari = storedPassword(db, QStringLiteral("kari"));
    const QString ola = storedPassword(db, QStringLiteral("ola"));
    expectDigestOf(QStringLiteral("blåbær1"), kari);
    expectDigestOf(QStringLiteral("blåbær1"), ola); // the line end is not part of it
    EXPECT_NE(kari, ola) << "two users with one password never share a digest";
    expectDigestOf(QStringLiteral("demo123"), storedPassword(db, QStringLiteral("demo"))); // init-db's
}

TEST_P(Users, ToolRefusesListsAndRemovesUsersAndKeepsTheLast)
{
    TempDatabase t(GetParam()); // user "demo"
    const QString folder = t.folder();
    Database db;
    ASSERT_TRUE(t.connect(db));
    addKariAndOla(db, folder);
    const auto user = [](const QStringList& args, const QByteArray& input = {}) { return userJob(args, input); };
    CliRun run;

    // Refused, each with its reason, and nothing changed.
    expectRefused(user, {
        {{QStringLiteral("add"), folder, QStringLiteral("kari")}, "annet1\n", 1,
         QStringLiteral("Brukeren kari finnes allerede. Ingenting er endret.")},
        {{QStringLiteral("add"), folder, QStringLiteral("pe")}, "passord\n", 1,
         QStringLiteral("Brukernavnet må ha 3 til 9 tegn. Ingenting er endret.")},
        {{QStringLiteral("add"), folder, QStringLiteral("per")}, "ab\n", 1,
         QStringLiteral("Passordet må ha 3 til 64 tegn. Ingenting er endret.")},
        {{QStringLiteral("add"), folder, QStringLiteral("per")}, QByteArray(65, 'x') + '\n', 1,
         QStringLiteral("Passordet må ha 3 til 64 tegn. Ingenting er endret.")},
        {{QStringLiteral("add"), folder, QStringLiteral("per")}, "", 1,
         QStringLiteral("Passordet skulle stått på første linje av standard inn. Ingenting er endret.")},
        {{QStringLiteral("remove"), folder, QStringLiteral("per")}, {}, 1,
         QStringLiteral("Brukeren per finnes ikke. Ingenting er endret.")},
        {{QStringLiteral("add"), folder}, {}, 2, QStringLiteral("usage: tavlo-ii-cli user ")},
        {{QStringLiteral("rename"), folder, QStringLiteral("per")}, {}, 2, QStringLiteral("usage: tavlo-ii-cli user ")},
    });

    run = user({QStringLiteral("list"), folder});
    EXPECT_EQ(run.status, 0) << str(run.err);
    EXPECT_EQ(lines(run.out), (QStringList{QStringLiteral("demo\thash"), QStringLiteral("kari\thash"),
                                           QStringLiteral("ola\thash")}));

    for (const char* name : {"demo", "ola"}) {
        run = user({QStringLiteral("remove"), folder, QString::fromUtf8(name)});
        EXPECT_EQ(run.status, 0) << str(run.err);
    }
    run = user({QStringLiteral("remove"), folder, QStringLiteral("kari")});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("kari er den siste brukeren og kan ikke fjernes"))) << str(run.err);
    run = user({QStringLiteral("list"), folder});
    EXPECT_EQ(lines(run.out), QStringList{QStringLiteral("kari\thash")});

    // Each change in the log, under the account that ran the tool.
    const QString me = SystemAccountName();
    EXPECT_EQ(events(db), (std::vector<QString>{me + QStringLiteral("|bruker lagt til|demo"),
                                                me + QStringLiteral("|bruker lagt til|kari"),
                                                me + QStringLiteral("|bruker lagt til|ola"),
                                                QStringLiteral("kari|innlogget|"),
                                                me + QStringLiteral("|bruker fjernet|demo"),
                                                me + QStringLiteral("|bruker fjernet|ola")}));
}

// On a server the users are its roles and the server keeps their passwords: ServerRolesTest.
INSTANTIATE_TEST_SUITE_P(Stores, Users, ::testing::Values(StoreKind::Sqlite),
                         [](const auto& info) { return info.param == StoreKind::Sqlite ? "Sqlite" : "Postgres"; });

TEST(UsersAtTheTerminal, ThePasswordIsTypedTwiceAndNeverShown)
{
    TempDatabase t;
    const auto addAtTerminal = [&](const QString& name, const QList<QByteArray>& typed) {
        int master = -1;
        const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
        if (child == 0) {
            const QByteArray folder = t.folder().toLocal8Bit();
            const QByteArray user = name.toLocal8Bit();
            execl(TAVLO_CLI_PATH, TAVLO_CLI_PATH, "user", "add", folder.constData(), user.constData(), nullptr);
            _exit(127);
        }
        QByteArray screen;
        // A tool that waits for input it will never get fails the test, not the run.
        const auto readUntil = [&](const QByteArray& text) {
            char buffer[256];
            while (!screen.contains(text)) {
                pollfd ready{master, POLLIN, 0};
                if (poll(&ready, 1, 60000) <= 0) {
                    kill(child, SIGKILL);
                    return false;
                }
                const ssize_t n = read(master, buffer, sizeof buffer);
                if (n <= 0)
                    return false;
                screen.append(buffer, n);
            }
            return true;
        };
        EXPECT_TRUE(readUntil("Passord for " + name.toUtf8() + ": ")) << screen.toStdString();
        EXPECT_EQ(write(master, typed[0].constData(), size_t(typed[0].size())), typed[0].size());
        EXPECT_TRUE(readUntil("Gjenta passordet: ")) << screen.toStdString();
        EXPECT_EQ(write(master, typed[1].constData(), size_t(typed[1].size())), typed[1].size());
        readUntil("\x04"); // to the end of the output
        int status = 0;
        waitpid(child, &status, 0);
        close(master);
        return std::pair{WIFEXITED(status) ? WEXITSTATUS(status) : -1, QString::fromUtf8(screen)};
    };

    auto [status, screen] = addAtTerminal(QStringLiteral("kari"), {"Sol-2024\n", "Sol-2024\n"});
    EXPECT_EQ(status, 0) << str(screen);
    EXPECT_TRUE(screen.contains(QStringLiteral("Brukeren kari er lagt til."))) << str(screen);
    EXPECT_FALSE(screen.contains(QStringLiteral("Sol-2024"))) << "echoed: " << str(screen);
    Database db;
    ASSERT_TRUE(t.connect(db));
    EXPECT_EQ(CheckUserPassword(db, QStringLiteral("kari"), QStringLiteral("Sol-2024")), 1);

    std::tie(status, screen) = addAtTerminal(QStringLiteral("ola"), {"Sol-2024\n", "Sol-2025\n"});
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(screen.contains(QStringLiteral("Passordene er ikke like. Ingenting er endret."))) << str(screen);
    EXPECT_EQ(CheckUserPassword(db, QStringLiteral("ola"), QStringLiteral("Sol-2024")), 9);
}
