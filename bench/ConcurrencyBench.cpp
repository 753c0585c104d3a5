// bench-concurrency [--postgres TEMPLATE]: two programs saving 500 new tests each into one
// database at the same time, against the same 1,000 saves by one program alone. Each run
// starts from an empty database: a new SQLite file, and with --postgres (or
// TAVLO_TEST_POSTGRES_TEMPLATE) a server database whose tests are DELETED first, connected as
// the role TAVLO_TEST_POSTGRES_USER with TAVLO_TEST_POSTGRES_PASSWORD; never point it at a
// clinic's data.
#include "WriterTests.h"

#include "vandrel/MessageSink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <set>

using namespace tavlo;

namespace {

constexpr int kTotal = 1000;

struct RunOutcome {
    double seconds = 0;
    int stored = 0;   // person rows in the database afterwards
    int distinct = 0; // distinct numbers the writers were given
    int failedWriters = 0;
    QString firstError;
};

// A folder whose Virod.mdw reaches an empty database; empty on failure (after a line on stderr).
QString prepare(const QTemporaryDir& dir, const QString& postgresTemplate)
{
    const QString folder = dir.filePath(QStringLiteral("db"));
    QString message;
    if (postgresTemplate.isEmpty()) {
        if (CreateDatabase(folder, QStringLiteral("bench"), QStringLiteral("bench123"), &message) != CreateResult::Created) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
            return {};
        }
        return folder;
    }
    Database db;
    if (!QDir().mkpath(folder)
        || !WriteWorkgroupFile(QDir(folder).filePath(kWorkgroupFileName), postgresTemplate, &message)
        || !tavlo::test::ConnectFolder(db, folder) || !tavlo::test::EmptyTestTables(db, &message)) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        return {};
    }
    return folder;
}

int countPersons(const QString& folder)
{
    Database db;
    if (!tavlo::test::ConnectFolder(db, folder))
        return -1;
    Statement s(db);
    if (!s.execDirect(QStringLiteral("SELECT COUNT(*) FROM TESTPERSON")) || s.fetch() != Fetch::Row)
        return -1;
    return s.getInt(1).value_or(-1);
}

RunOutcome run(const QString& folder, int writers)
{
    RunOutcome outcome;
    std::vector<std::unique_ptr<QProcess>> processes;
    QElapsedTimer timer;
    timer.start();
    for (int w = 0; w < writers; ++w) {
        auto& p = processes.emplace_back(std::make_unique<QProcess>());
        p->start(QStringLiteral(TAVLO_WRITER_PATH), {folder, QString::number(w), QString::number(kTotal / writers)});
    }
    std::set<int> ids;
    for (auto& p : processes) {
        p->waitForFinished(-1);
        if (p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0) {
            ++outcome.failedWriters;
            if (outcome.firstError.isEmpty())
                outcome.firstError = QString::fromUtf8(p->readAllStandardError()).section(u'\n', 0, 0);
        }
        for (const QByteArray& line : p->readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                ids.insert(line.toInt());
    }
    outcome.seconds = double(timer.nsecsElapsed()) / 1e9;
    outcome.distinct = int(ids.size());
    outcome.stored = countPersons(folder);
    return outcome;
}

void report(const char* store, int writers, const RunOutcome& o)
{
    std::printf("%-10s %d x %-5d %8.2f s %8.1f ms/test %7d %9d %8d\n", store, writers, kTotal / writers, o.seconds,
                o.seconds * 1000 / kTotal, o.stored, o.distinct, o.failedWriters);
    if (!o.firstError.isEmpty())
        std::printf("           first failure: %s\n", qPrintable(o.firstError));
}

bool benchStore(const char* store, const QString& postgresTemplate)
{
    for (const int writers : {2, 1}) {
        QTemporaryDir dir;
        const QString folder = prepare(dir, postgresTemplate);
        if (folder.isEmpty())
            return false;
        report(store, writers, run(folder, writers));
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    StderrMessageSink sink;
    setMessageSink(&sink);
    const QStringList args = app.arguments();
    const qsizetype option = args.indexOf(QStringLiteral("--postgres"));
    const QString postgres = option > 0 ? args.value(option + 1) : qEnvironmentVariable("TAVLO_TEST_POSTGRES_TEMPLATE");

    std::printf("Several writers at once: %d new tests in all, each saved and read back as the program does\n", kTotal);
    std::printf("%-10s %-9s %10s %15s %7s %9s %8s\n", "store", "writers", "time", "per test", "stored", "distinct",
                "failed");
    bool ok = benchStore("SQLite", {});
    if (postgres.isEmpty())
        std::printf("PostgreSQL: not run (give --postgres TEMPLATE or set TAVLO_TEST_POSTGRES_TEMPLATE)\n");
    else
        ok = benchStore("PostgreSQL", postgres) && ok;
    return ok ? 0 : 1;
}
