// tavlo-ii-cli: the program's jobs without its windows.
#include "cli/Cli.h"
#include "cli/Painting.h"

#include "vandrel/vandrel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>

namespace tavlo::cli {

namespace {

const Command kCommands[] = {
    {"test-age", "TESTDATE BIRTHDATE", "Skriver testalderen (år;måneder;dager). Datoer som DDMMÅÅÅÅ.\n"
     "En fødselsdato etter testdatoen gir en melding på stderr og status 1.", testAge, {}, {}, false},
    {"init-db", "FOLDER --user NAME [--password PASSWORD] [--demo] [--server \"Server=HOST;Port=PORT;Database=DB\"] "
     "| FOLDER --upgrade-roles --user NAME",
     "Lager en ny database med normene og én bruker (NAME, PASSWORD) i FOLDER.\n"
     "Uten --password skrives passordet to ganger i terminalen uten å vises (eller leses fra første linje\n"
     "av standard inn), så det ikke blir stående i kommandohistorikken.\n"
     "--demo lagrer også en fiktiv demonstrasjonstest.\n"
     "--server lager tabellene i en PostgreSQL-database på en tjener i stedet; FOLDER får da bare\n"
     "Virod.mdw, som viser til tjeneren. NAME er da klinikkens administrator: en rolle på tjeneren som eier\n"
     "databasen og kan opprette roller (CREATEROLE). Passordet dens tas fra passordfilen (~/.pgpass eller\n"
     "PGPASSFILE), skrives én gang uten å vises, eller leses fra standard inn; programmet lagrer det ikke.\n"
     "Databasen får en gruppe for undersøkerne (DATABASE_undersokere); legg dem til med user add.\n"
     "En database som allerede har tabellene, blir ikke endret.\n"
     "--upgrade-roles flytter en database på en tjener som ble laget med programmets gamle felles konto,\n"
     "over til egne roller: NAME overtar tabellene, undersøkernes gruppe lages, og den gamle kontoen kan\n"
     "ikke lenger logge inn. Undersøkerne legges så til med user add.",
     initDb,
     {{"user", "NAME"}, {"password", "PASSWORD"}, {"demo"}, {"server", "SERVER"}, {"upgrade-roles"}}},
    {"score", "FOLDER ID",
     "Regner ut resultatene for testperson ID som programmet gjør, og skriver dem tabulatordelt.\n"
     "Meldinger skrives til stderr som MESSAGE<TAB>tekst.",
     score,
     {},
     {{"FIELD", "målets kode (AI ... VP_F); i de tre første linjene AGEGROUP, DESCRIPTION og TESTAGE"},
      {"RAW", "råskåren (-9: ikke gitt); i de tre første linjene aldersgruppen, beskrivelsen av den og testalderen"},
      {"RESULT", "resultatet: skalert skåre, båndnummer, sammensatt skåre eller prosent (0: ingen)"},
      {"TEXT", "resultatets tekst: prosentbåndet eller forsinkelsen, ellers tom"}}},
    {"import-norms", "FOLDER NORMS.csv [--groups GROUPS.csv]",
     "Leser inn normtabellen (og beskrivelsene av aldersgruppene) fra CSV-filer; alt eller ingenting.", importNorms, {{"groups", "GROUPS.csv"}}},
    {"report", "FOLDER ID [--domains 123456] [--pdf OUT.pdf] [--odt OUT.odt] [--profile]",
     "Regner ut resultatene for testperson ID som programmet gjør, og skriver resultatrapporten med én\n"
     "tabulatordelt linje per rad, domene for domene, slik resultatvinduet viser den:\n"
     "domene (1-6), deltest, råskåre, skalert skåre, persentil, type mål, kvalitativ beskrivelse.\n"
     "--domains velger domenene med sifrene 1 til 6 (for eksempel 135); uten: alle seks.\n"
     "--pdf skriver også sidene \"Skriv ut\" skriver for de samme domenene til OUT.pdf, uten dialog\n"
     "og uten skjerm. Med - som filnavn skrives bare PDF-filen, til standard ut.\n"
     "--profile legger profilen (de skalerte skårene som diagram) på en egen side rett etter personsiden\n"
     "i OUT.pdf, som \"Profil\" i \"Skriv ut\"; bare sammen med --pdf eller --odt.\n"
     "--odt skriver rapporten som et OpenDocument-tekstdokument (OUT.odt), som \"Lagre som dokument\":\n"
     "personopplysningene, de samme domenene som tabeller med merknadene, og med --profile profilen\n"
     "som bilde. Med - som filnavn skrives bare dokumentet, til standard ut.\n"
     "Meldinger skrives til stderr som MESSAGE<TAB>tekst.",
     report,
     {{"domains", "123456"}, {"pdf", "OUT.pdf"}, {"odt", "OUT.odt"}, {"profile"}},
     {{"DOMAIN", "domenet (1-6)"},
      {"SUBTEST", "deltesten"},
      {"RAW", "råskåren"},
      {"SCALED", "den skalerte skåren"},
      {"PERCENTILE", "persentilen (prosentbåndet)"},
      {"KIND", "typen mål"},
      {"DESCRIPTION", "den kvalitative beskrivelsen"}}},
    {"compare", "FOLDER ID1 ID2 [--pdf OUT.pdf] [--odt OUT.odt]",
     "Sammenligner to tester av samme barn (samme navn og fødselsdato) som arkivets \"Sammenlign\", og skriver\n"
     "én tabulatordelt linje for hver test: FØR eller ETTER, testpersonnummer, testdato, testalder,\n"
     "aldersgruppe; så én linje per deltest som begge testene har skåre på: domene (1-6), deltest,\n"
     "før, etter, endring (med fortegn; tom for et prosentbånd), * når endringen er 3 skalerte\n"
     "skårepoeng eller mer. Den eldste testen er FØR, i hvilken rekkefølge numrene enn gis.\n"
     "--pdf skriver også sammenligningen som sider (alle domener og profilen med begge testene) til\n"
     "OUT.pdf; --odt som OpenDocument-tekst til OUT.odt. Med - som filnavn skrives bare den filen,\n"
     "til standard ut.\n"
     "Tester av to forskjellige barn avvises. Hver test som vises, føres i tilgangsloggen.",
     compare,
     {{"pdf", "OUT.pdf"}, {"odt", "OUT.odt"}},
     {{"DOMAIN", "domenet (1-6); i de to første linjene FØR eller ETTER"},
      {"SUBTEST", "deltesten; i de to første linjene testpersonnummeret"},
      {"BEFORE", "skåren før; i de to første linjene testdatoen"},
      {"AFTER", "skåren etter; i de to første linjene testalderen"},
      {"CHANGE", "endringen med fortegn, tom for et prosentbånd; i de to første linjene aldersgruppen"},
      {"MARK", "* når endringen er 3 skalerte skårepoeng eller mer"}}},
    {"list", "FOLDER [--sort KOLONNE] [--ascending|--descending]",
     "Skriver alle lagrede tester, én tabulatordelt linje per testperson: testpersonnummeret, så arkivets\n"
     "ni kolonner slik arkivet viser dem (navn, testleder, testdato, annet, kjønn, fødselsdato, skole,\n"
     "nasjonalitet, førstespråk).\n"
     "KOLONNE er NAMN, TESTLEDARE, TESTDATE, OTHER, SEX, BORNDATE, SKOLA, NATIONALITET, HOMELANGUAGE eller ID;\n"
     "tekster sorteres i norsk rekkefølge som i arkivet. Med --sort alene stigende; uten valg ID synkende,\n"
     "som når arkivet åpnes.",
     list,
     {{"sort", "KOLONNE"}, {"ascending"}, {"descending"}},
     {{"ID", "testpersonnummeret"},
      {"NAMN", "navn"},
      {"TESTLEDARE", "testleder"},
      {"TESTDATE", "testdato"},
      {"OTHER", "annet"},
      {"SEX", "kjønn"},
      {"BORNDATE", "fødselsdato"},
      {"SKOLA", "skole"},
      {"NATIONALITET", "nasjonalitet"},
      {"HOMELANGUAGE", "førstespråk"}}},
    {"export", "FOLDER OUT.txt [--utf8] [--format txt|csv] | --codebook",
     "Eksporterer bakgrunnsinformasjon og råskårer for alle testpersoner til OUT.txt, byte for byte som\n"
     "programmets \"Eksporter data\" (tabulatordelt, Windows-1252, CR LF). En fil som ikke blir hel,\n"
     "blir ikke liggende; en tidligere fil med samme navn står da urørt. Med - som filnavn skrives\n"
     "eksporten til standard ut. Databasens egne filer og det som ikke er en vanlig fil, skrives aldri over.\n"
     "Har en test tegn som Windows-1252 ikke har (samiske bokstaver som č ŋ ŧ), skrives ingen fil, og\n"
     "testene og feltene nevnes; --utf8 skriver da filen i UTF-8 med byte-order mark, ellers lik.\n"
     "--format csv skriver i stedet forskningsfilen: CSV (komma, CR LF, RFC 4180) i UTF-8 med byte-order\n"
     "mark, datoer som ÅÅÅÅ-MM-DD, testalderen i år, måneder, dager og måneder i alt, kjønn og\n"
     "håndpreferanse med ord, tomt der ingenting er registrert. --format txt er standard.\n"
     "--codebook skriver kodeboken (hver kolonne i begge formatene forklart) til standard ut.",
     exportTests,
     {{"utf8"}, {"format", "FORMAT"}, {"codebook"}}},
    {"backup", "FOLDER OUT",
     "Lagrer en sikkerhetskopi av databasefilen i FOLDER som OUT, som programmets \"Sikkerhetskopier\"\n"
     "(- som filnavn: til standard ut). Databasens egne filer og det som ikke er en vanlig fil, skrives\n"
     "aldri over.\n"
     "En database på en databaseserver sikkerhetskopieres med serverens eget verktøy (pg_dump).",
     backup},
    {"import", "FOLDER IN.txt [--utf8]",
     "Leser inn en fil slik eksporten skriver den, og lagrer hver linje som en test; alt eller ingenting.\n"
     "Filen leses som UTF-8 når den begynner med byte-order mark, eller med --utf8; ellers som Windows-1252.\n"
     "Numrene i filen beholdes når ingen av dem er gitt ut i databasen fra før (flytting av et arkiv),\n"
     "og det høyeste gir plass til minst en million nye numre etter seg; ellers får testene nye numre,\n"
     "og hver test skrives som GAMMELT<TAB>NYTT.\n"
     "Hver verdi må være en som programmet selv kunne ha lagret: det skjemaet og dialogene for råskårer og\n"
     "Hukommelse for figurer godtar ved barnets testalder.\n"
     "En feil i filen skrives til stderr med linje og felt, og da lagres ingenting.",
     importTests,
     {{"utf8"}},
     {{"OLD_ID", "testpersonnummeret i filen (bare når testene får nye numre)"},
      {"NEW_ID", "testpersonnummeret testen er lagret under"}}},
    {"user", "add FOLDER NAME | remove FOLDER NAME | list FOLDER  [--user ADMIN]",
     "Brukerne som kan logge inn i programmet.\n"
     "På en databasetjener er hver bruker en rolle i undersøkernes gruppe, og jobben kjøres som\n"
     "administratoren (--user ADMIN); tjeneren holder passordene (SCRAM-SHA-256), og list skriver «rolle».\n"
     "add legger til brukeren NAME. Passordet skrives to ganger i terminalen uten å vises, eller leses fra\n"
     "første linje av standard inn når den ikke er en terminal. Navn må ha 3 til 9 tegn, passord 3 til 64.\n"
     "Passordet lagres aldri som det er skrevet, bare som en saltet hash (PBKDF2-HMAC-SHA256).\n"
     "remove fjerner brukeren NAME; den siste brukeren kan ikke fjernes.\n"
     "list skriver brukerne, én per linje: navnet, så «hash», eller «klartekst» for et passord fra en\n"
     "eldre database som blir hash ved brukerens neste innlogging.",
     user,
     {},
     {{"USERID", "brukernavnet (list)"}, {"PASSWORD", "hvordan passordet holdes: hash, klartekst eller rolle"}}},
    {"log", "FOLDER [--person ID] [--user NAME] [--since DATE] [--role ROLE] | FOLDER --verify [--role ROLE]",
     "Skriver tilgangsloggen, eldste først, én tabulatordelt linje per hendelse: tidspunkt (UTC),\n"
     "bruker, hendelse, testpersonnummer (tomt når ingen test gjelder), program og merknad.\n"
     "Hendelsene er innlogging (også avvist), visning, lagring av ny test og av endring, sletting,\n"
     "utskrift, eksport, sikkerhetskopi, visning av listen over tester, innlesing av normer og tester,\n"
     "og endringer av brukere og passord. En jobb som mislyktes før den nådde en test eller en fil, står\n"
     "ikke i loggen.\n"
     "--person, --user og --since (en dato som 2026-12-07, eller et tidspunkt i UTC) velger linjene.\n"
     "--verify kontrollerer kjeden av SHA-256-sjekksummer over radene: \"Tilgangsloggen er hel (N rader)\" og\n"
     "status 0, eller den første raden som er endret, fjernet eller satt inn utenom programmet, og status 1.\n"
     "I en SQLite-fil avslører kjeden et verktøy som endrer rader uten å regne kjeden om; den som har filen,\n"
     "kan likevel skrive hele kjeden på nytt; på en databasetjener avgjør tjenerens rettigheter hvem som kan.\n"
     "Her velger --user linjene; på en databasetjener kobler jobben til som --role ROLE (eller PGUSER).",
     log,
     {{"person", "ID"}, {"user", "NAME"}, {"since", "DATE"}, {"verify"}},
     {{"TIDSPUNKT", "tidspunktet (UTC)"},
      {"BRUKER", "brukeren"},
      {"HENDELSE", "hendelsen"},
      {"ID", "testpersonnummeret, tomt når ingen test gjelder"},
      {"PROGRAM", "programmet"},
      {"MERKNAD", "merknaden"}}},
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
    std::printf("usage: tavlo-ii-cli %s %s\n\n%s\n", command.name, command.usage, command.help);
    std::puts("\nValg:");
    for (const Option& o : optionsOf(command))
        std::printf("  --%s%s%s\n", o.name, o.value ? " " : "", o.value ? o.value : "");
    std::puts("  -h, --help\n  -V, --version\n"
              "Et valg med verdi kan også skrives --valg=VERDI. Etter -- er alt argumenter, også det som\n"
              "begynner med -.");
    if (!command.columns.empty()) {
        std::puts("\nKolonner i de tabulatordelte linjene, i rekkefølge (--header skriver navnene først):");
        for (const Column& c : command.columns)
            std::printf("  %-13s %s\n", c.name, c.meaning);
    }
    std::puts("\nAvslutningsstatus: 0 når jobben er gjort, 1 når den mislyktes, 2 ved feil bruk.");
    return kSuccess;
}

// The job's status, unless what it wrote to standard output did not all get there (a full
// disk, a closed pipe): a listing cut short must not pass for a whole one.
int finished(int status)
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    std::fprintf(stderr, "%s\n",
                 QStringLiteral("Standard ut kunne ikke skrives (%1), så det som ble skrevet ut, er ufullstendig. "
                                "Kontroller at det er plass der utdataene skal.")
                     .arg(QString::fromLocal8Bit(std::strerror(errno)))
                     .toUtf8()
                     .constData());
    return kFailure;
}

} // namespace

int usageFor(const char* name)
{
    const Command* command = find(QLatin1String(name));
    return command ? usageOf(*command) : overallUsage(stderr);
}

void printHeader(const char* name)
{
    QStringList names;
    for (const Column& c : find(QLatin1String(name))->columns)
        names << QLatin1String(c.name);
    print(names.join(u'\t'));
}

} // namespace tavlo::cli

int main(int argc, char** argv)
{
    using namespace tavlo::cli;
    // One thread, and each connection its own.
    tavlo::UseSqliteWithoutCallLocks();
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.isEmpty())
        return overallUsage(stderr);
    const QString name = args.takeFirst();
    const auto version = [] {
        print(QStringLiteral("TAVLO-II %1 (vandrel %2)").arg(QStringLiteral(TAVLO_VERSION)).arg(cDoDllVersion()));
        return finished(kSuccess);
    };
    if (name == u"--version" || name == u"-V" || name == u"version")
        return version();
    if (name == u"--help" || name == u"-h" || name == u"help")
        return finished(overallUsage(stdout));
    const Command* command = find(name);
    if (!command) {
        overallUsage(stderr);
        print((name.startsWith(u'-') ? QStringLiteral("Ukjent valg: %1.") : QStringLiteral("Ukjent kommando: %1."))
                  .arg(name),
              stderr);
        return kUsageError;
    }
    const CommandLine line = parseCommandLine(*command, args);
    switch (line.asked) {
    case CommandLine::Help:
        return finished(help(*command));
    case CommandLine::Version:
        return version();
    case CommandLine::Wrong:
        usageOf(*command);
        print(line.problem, stderr);
        return kUsageError;
    case CommandLine::Run:
        break;
    }
    args = line.args;

    // A private runtime folder where the session gives none (a scheduled job): Qt's GUI
    // library would otherwise warn about it on stderr, among the messages of the run.
    std::optional<QTemporaryDir> runtime;
    // Drawing the printed pages needs Qt's GUI library, never a display; it comes with the
    // painting library, loaded for these commands alone.
    std::unique_ptr<QCoreApplication> app;
    if (needsGuiApplication(QStringList{name} + args)) {
        if (!painting())
            return kFailure;
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            runtime.emplace(QDir::tempPath() + QStringLiteral("/tavlo-ii-cli-XXXXXX"));
            if (runtime->isValid())
                qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
        }
        app.reset(painting()->makeApplication(argc, argv));
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    // The role a job connects to a server as. init-db names its own; log's --user picks lines.
    QString role = takeOption(args, QStringLiteral("--role"));
    if (role.isEmpty() && name != u"log" && name != u"init-db")
        role = takeOption(args, QStringLiteral("--user"));
    setConnectionRole(role);
    return finished(command->run(args));
}
