// tavlo-ii-cli: the program's jobs without its windows.
#include "cli/Cli.h"

#include "vandrel/vandrel.h"

#include <QCoreApplication>

#include <cstring>
#include <iterator>

namespace tavlo::cli {

namespace {

const Command kCommands[] = {
    {"test-age", "TESTDATE BIRTHDATE", "Skriver testalderen (år;måneder;dager). Datoer som DDMMÅÅÅÅ.", testAge},
    {"init-db", "FOLDER --user NAME --password PASSWORD [--demo] [--server \"Server=HOST;Port=PORT;Database=DB\"]",
     "Lager en ny database med normene og én bruker (NAME, PASSWORD) i FOLDER.\n"
     "--demo lagrer også en fiktiv demonstrasjonstest.\n"
     "--server lager tabellene i en PostgreSQL-database på en tjener i stedet; FOLDER får da bare\n"
     "Virod.mdw, som viser til tjeneren. Programmets konto (se README.md) må kunne logge inn der og\n"
     "opprette tabeller. En database som allerede har tabellene, blir ikke endret.",
     initDb},
    {"score", "FOLDER ID",
     "Regner ut resultatene for testperson ID som programmet gjør, og skriver dem tabulatordelt.\n"
     "Meldinger skrives til stderr som MESSAGE<TAB>tekst.",
     score},
    {"import-norms", "FOLDER NORMS.csv [--groups GROUPS.csv]",
     "Leser inn normtabellen (og beskrivelsene av aldersgruppene) fra CSV-filer; alt eller ingenting.", importNorms},
};

const Command* find(const QString& name)
{
    for (const Command& c : kCommands) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

int overallUsage(FILE* to)
{
    std::fputs("usage: tavlo-ii-cli --version\n", to);
    for (const Command& c : kCommands)
        std::fprintf(to, "       tavlo-ii-cli %s %s\n", c.name, c.usage);
    std::fputs("Hver kommando forklares med: tavlo-ii-cli KOMMANDO --help\n", to);
    return to == stdout ? kSuccess : kUsageError;
}

int help(const Command& command)
{
    std::printf("usage: tavlo-ii-cli %s %s\n\n%s\n\nAvslutningsstatus: 0 når jobben er gjort, 1 når den mislyktes, "
                "2 ved feil bruk.\n",
                command.name, command.usage, command.help);
    return kSuccess;
}

} // namespace

int usageFor(const char* name)
{
    const Command* command = find(QLatin1String(name));
    return command ? usageOf(*command) : overallUsage(stderr);
}

} // namespace tavlo::cli

int main(int argc, char** argv)
{
    using namespace tavlo::cli;
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return overallUsage(stderr);
    const QString name = args.takeFirst();
    if (name == u"--version" || name == u"version") {
        print(QStringLiteral("TAVLO-II %1 (vandrel %2)").arg(QStringLiteral(TAVLO_VERSION)).arg(cDoDllVersion()));
        return kSuccess;
    }
    if (name == u"--help" || name == u"help")
        return overallUsage(stdout);
    const Command* command = find(name);
    if (!command)
        return overallUsage(stderr);
    if (args.contains(QStringLiteral("--help")))
        return help(*command);
    return command->run(args);
}
