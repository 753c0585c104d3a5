// tavlo-ii-cli: the program's jobs without its windows.
#include "model/Dates.h"
#include "model/TestRecord.h"
#include "scoring/NormImport.h"
#include "scoring/Scoring.h"
#include "store/NewDatabase.h"
#include "store/PersonTable.h"
#include "store/ScoreTables.h"
#include "store/Workgroup.h"
#include "vandrel/MessageSink.h"
#include "vandrel/vandrel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int kFailure = 1;
constexpr int kUsageError = 2;

void print(const QString& line, FILE* to = stdout)
{
    std::fputs(line.toUtf8().constData(), to);
    std::fputc('\n', to);
}

int usage()
{
    std::fputs("usage: tavlo-ii-cli --version\n"
               "       tavlo-ii-cli test-age TESTDATE BIRTHDATE   (dates as DDMMYYYY)\n"
               "       tavlo-ii-cli init-db FOLDER --user NAME --password PASSWORD\n"
               "       tavlo-ii-cli score FOLDER ID\n"
               "       tavlo-ii-cli import-norms FOLDER NORMS.csv [--groups GROUPS.csv]\n",
               stderr);
    return kUsageError;
}

// Takes "--name VALUE" out of args.
QString takeOption(QStringList& args, const QString& name)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0 || at + 1 >= args.size())
        return {};
    const QString value = args.at(at + 1);
    args.remove(at, 2);
    return value;
}

int testAge(const QStringList& args)
{
    if (args.size() != 2)
        return usage();
    const auto testDate = tavlo::ParseTypedDate(args[0]);
    if (!testDate) {
        tavlo::tell(QStringLiteral("Feil testdato. Endre til gyldig dato!"), tavlo::MessageIcon::Exclamation);
        return kUsageError;
    }
    const auto bornDate = tavlo::ParseTypedDate(args[1]);
    if (!bornDate) {
        tavlo::tell(QStringLiteral("Feil fødselsdato. Endre til gyldig dato!"), tavlo::MessageIcon::Exclamation);
        return kUsageError;
    }
    print(tavlo::FormatTestAge(tavlo::ComputeTestAge(*testDate, *bornDate)));
    return 0;
}

int initDb(QStringList args)
{
    const QString user = takeOption(args, QStringLiteral("--user"));
    const QString password = takeOption(args, QStringLiteral("--password"));
    if (args.size() != 1 || user.isEmpty() || password.isEmpty())
        return usage();
    QString message;
    const tavlo::CreateResult result = tavlo::CreateDatabase(args[0], user, password, &message);
    print(message, result == tavlo::CreateResult::Created ? stdout : stderr);
    switch (result) {
    case tavlo::CreateResult::Created:
        return 0;
    case tavlo::CreateResult::Refused:
        return kUsageError;
    case tavlo::CreateResult::Failed:
        break;
    }
    return kFailure;
}

// Every message of a run, one line each on stderr, in the order the program would show them.
class LineSink : public tavlo::MessageSink {
public:
    void show(const QString&, const QString& text, tavlo::MessageIcon) override
    {
        print(QStringLiteral("MESSAGE\t") + text, stderr);
    }
    bool ask(const QString& caption, const QString& text, tavlo::MessageIcon icon, bool defaultYes) override
    {
        show(caption, text, icon);
        return defaultYes;
    }
};

bool connectFolder(tavlo::Database& db, const QString& folder)
{
    const QDir dir(folder);
    const tavlo::Account account = tavlo::DecipherAccount();
    return db.DbConnect(QStringLiteral("TAVLO-II"), account.name, account.password,
                        dir.filePath(tavlo::kDatabaseFileName), dir.filePath(tavlo::kWorkgroupFileName))
           == 1;
}

int score(const QStringList& args)
{
    bool numeric = false;
    const int id = args.value(1).toInt(&numeric);
    if (args.size() != 2 || !numeric)
        return usage();
    LineSink sink;
    tavlo::setMessageSink(&sink);
    tavlo::Database db;
    if (!connectFolder(db, args[0]))
        return kFailure;
    tavlo::TestRecord test;
    tavlo::NormState norms;
    tavlo::ClearScores(test);
    if (!tavlo::ReadPerson(db, test.person, id))
        return kFailure;
    if (!tavlo::ReadTestData(db, test) || !tavlo::ReadTestDataMF(db, test))
        return kFailure;
    tavlo::SelectAgeGroup(db, norms, test);
    tavlo::ScoreTest(db, norms, test);

    print(QStringLiteral("AGEGROUP\t") + norms.CurrentAgeGroup);
    print(QStringLiteral("DESCRIPTION\t") + norms.AgeGroupDescription);
    print(QStringLiteral("TESTAGE\t") + tavlo::FormatTestAge(test.testAge()));
    for (int k = 0; k < tavlo::kKeyCount; ++k) {
        const auto key = tavlo::Key(k);
        const tavlo::Result& result = test.result(key);
        print(QStringLiteral("%1\t%2\t%3\t%4")
                  .arg(QLatin1String(tavlo::keyName(key)))
                  .arg(test.raw(key))
                  .arg(result.value)
                  .arg(result.text));
    }
    return 0;
}

std::optional<tavlo::CsvTable> readCsv(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        print(QStringLiteral("%1 kan ikke leses: %2").arg(path, file.errorString()), stderr);
        return std::nullopt;
    }
    QString error;
    auto table = tavlo::ParseCsv(file.readAll(), &error);
    if (!table)
        print(QStringLiteral("%1, %2").arg(path, error), stderr);
    return table;
}

int importNorms(QStringList args)
{
    const QString groupsPath = takeOption(args, QStringLiteral("--groups"));
    if (args.size() != 2)
        return usage();
    const auto rows = readCsv(args[1]);
    const auto groups = groupsPath.isEmpty() ? std::nullopt : readCsv(groupsPath);
    if (!rows || (!groupsPath.isEmpty() && !groups))
        return kUsageError;
    tavlo::Database db;
    if (!connectFolder(db, args[0]))
        return kFailure;
    QString error;
    if (!tavlo::ImportNorms(db, *rows, groups ? &*groups : nullptr, &error)) {
        print(QStringLiteral("%1: %2. Ingenting er endret.").arg(args[1], error), stderr);
        return kUsageError;
    }
    print(QStringLiteral("Normene er lest inn: %1 rader.").arg(rows->rows.size()));
    if (!groups)
        print(QStringLiteral("Merk: beskrivelsene av aldersgruppene er ikke endret; gi dem med --groups."), stderr);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    if (command == u"--version" || command == u"version") {
        print(QStringLiteral("TAVLO-II %1 (vandrel %2)").arg(QStringLiteral(TAVLO_VERSION)).arg(cDoDllVersion()));
        return 0;
    }
    if (command == u"test-age")
        return testAge(args);
    if (command == u"init-db")
        return initDb(args);
    if (command == u"score")
        return score(args);
    if (command == u"import-norms")
        return importNorms(args);
    return usage();
}
