// The time from a typed name and password to a logged-in connection, on a SQLite file and on a
// PostgreSQL server, beside the best each store can do in the same run: one PBKDF2 of the
// digest's cost for the file, one bare connection (SCRAM) for the server. On the server also
// the way it was before roles: a connection as one shared role, then the examiner's digest in
// SEC. The server is the tests' throwaway one:
//   tools/test-postgres.sh start /tmp/pg build/tavlo-ii-cli && build/bench/bench-login /tmp/pg
#include "ServerState.h"
#include "store/accounts/AccessLog.h"
#include "store/creation/NewDatabase.h"
#include "store/accounts/PasswordHash.h"
#include "store/accounts/Security.h"
#include "store/connection/Workgroup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <openssl/evp.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <vector>

using namespace tavlo;

namespace {

constexpr int kRounds = 9;

double median(const std::function<void()>& once)
{
    std::vector<double> times;
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        once();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void row(const char* what, double ms, double reference)
{
    std::printf("%-58s %8.1f ms  %5.2f x\n", what, ms, ms / reference);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bool ok = true;
    const auto check = [&](bool done, const char* what) {
        if (!done) {
            std::fprintf(stderr, "failed: %s\n", what);
            ok = false;
        }
    };

    // The file store.
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("db"));
    QString message;
    check(CreateDatabase(folder, QStringLiteral("demo"), QStringLiteral("demo123"), &message) == CreateResult::Created,
          "create");
    const QString databasePath = QDir(folder).filePath(kDatabaseFileName);
    const QString workgroupPath = QDir(folder).filePath(kWorkgroupFileName);
    const QByteArray salt(16, 's');
    const double pbkdf2 = median([&] {
        unsigned char key[32];
        PKCS5_PBKDF2_HMAC("demo123", 7, reinterpret_cast<const unsigned char*>(salt.constData()), int(salt.size()),
                          kPasswordIterations, EVP_sha256(), sizeof key, key);
    });
    const double fileLogin = median([&] {
        Database db;
        check(db.DbConnect(QStringLiteral("TAVLO-II"), {}, {}, databasePath, workgroupPath) == 1, "connect");
        check(CheckLogin(db, QStringLiteral("demo"), QStringLiteral("demo123"), true) == 1, "file login");
    });
    std::printf("SQLite file (median of %d)\n", kRounds);
    row("one PBKDF2-SHA256 of the digest's cost (reference)", pbkdf2, pbkdf2);
    row("connect, check the digest, log the login", fileLogin, pbkdf2);

    if (argc < 2) {
        std::printf("\nPostgreSQL: not run (give the state file of tools/test-postgres.sh)\n");
        return ok ? 0 : 1;
    }
    auto state = tavlo::bench::readServerState(QString::fromLocal8Bit(argv[1]));
    const QString serverFolder = state[QStringLiteral("FOLDER")];
    const QString serverDatabase = QDir(serverFolder).filePath(kDatabaseFileName);
    const QString serverWorkgroup = QDir(serverFolder).filePath(kWorkgroupFileName);
    const QString examiner = state[QStringLiteral("EXAMINER")];
    const QString examinerPassword = state[QStringLiteral("EXAMINER_PASSWORD")];
    const QString admin = state[QStringLiteral("ADMIN")];
    const QString adminPassword = state[QStringLiteral("ADMIN_PASSWORD")];
    const auto connectionTemplate = ReadConnectionTemplate(serverWorkgroup, &message);
    check(connectionTemplate.has_value(), "workgroup file");
    if (!ok)
        return 1;

    const double bare = median([&] {
        Database db;
        check(db.connectWith(FillConnectionTemplate(*connectionTemplate, {{}, {}, examiner, examinerPassword}), false),
              "bare connection");
    });
    const double roleLogin = median([&] {
        Database db;
        check(db.awaitLogin(serverDatabase, serverWorkgroup) == 1, "server answers");
        check(CheckLogin(db, examiner, examinerPassword, true) == 1, "role login");
    });
    // Before roles: every program connected as one role, then looked the examiner up in SEC.
    Database owner;
    check(owner.DbConnect(QStringLiteral("TAVLO-II"), admin, adminPassword, serverDatabase, serverWorkgroup) == 1,
          "administrator");
    {
        Statement add(owner);
        check(add.prepare(QStringLiteral("INSERT INTO SEC (USERID, PASSWORD) VALUES ('gammel', ?)"))
                  && add.bindText(1, HashPassword(QStringLiteral("gammel123"))) && add.execute(),
              "old examiner");
    }
    const double sharedLogin = median([&] {
        Database db;
        check(db.DbConnect(QStringLiteral("TAVLO-II"), admin, adminPassword, serverDatabase, serverWorkgroup) == 1,
              "shared role");
        check(CheckLogin(db, QStringLiteral("gammel"), QStringLiteral("gammel123"), true) == 1, "SEC login");
    });
    Statement remove(owner);
    remove.execDirect(QStringLiteral("DELETE FROM SEC WHERE USERID = 'gammel'"));

    std::printf("\nPostgreSQL server (median of %d)\n", kRounds);
    row("one bare connection as the examiner, SCRAM (reference)", bare, bare);
    row("now: the examiner's own role, probe, log the login", roleLogin, bare);
    row("before: one shared role, then the digest in SEC", sharedLogin, bare);
    return ok ? 0 : 1;
}
