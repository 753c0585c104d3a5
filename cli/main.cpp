// tavlo-ii-cli: the program's jobs without its windows.
#include "model/Dates.h"
#include "store/NewDatabase.h"
#include "vandrel/MessageSink.h"
#include "vandrel/vandrel.h"

#include <QCoreApplication>
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
               "       tavlo-ii-cli init-db FOLDER --user NAME --password PASSWORD\n",
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
    return usage();
}
