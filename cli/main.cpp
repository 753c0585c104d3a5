// tavlo-ii-cli: the program's jobs without its windows.
#include "model/Dates.h"
#include "vandrel/MessageSink.h"
#include "vandrel/vandrel.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int kUsageError = 2;

void print(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

void usage()
{
    std::fputs("usage: tavlo-ii-cli --version\n"
                "       tavlo-ii-cli test-age TESTDATE BIRTHDATE   (dates as DDMMYYYY)\n",
                stderr);
}

int testAge(const QStringList& args)
{
    if (args.size() != 2) {
        usage();
        return kUsageError;
    }
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        usage();
        return kUsageError;
    }
    const QString command = args.takeFirst();
    if (command == u"--version" || command == u"version") {
        print(QStringLiteral("TAVLO-II %1 (vandrel %2)").arg(QStringLiteral(TAVLO_VERSION)).arg(cDoDllVersion()));
        return 0;
    }
    if (command == u"test-age")
        return testAge(args);
    usage();
    return kUsageError;
}
