// The commands the tool has had from the start: test-age, init-db, score, import-norms.
#include "cli/Cli.h"

#include "model/Dates.h"
#include "model/TestRecord.h"
#include "scoring/NormImport.h"
#include "scoring/Scoring.h"
#include "session/Session.h"
#include "store/files/InputFile.h"
#include "store/creation/NewDatabase.h"
#include "store/creation/ServerDatabase.h"
#include "store/accounts/ServerRoles.h"
#include "store/connection/Workgroup.h"
#include "store/tables/TestStore.h"

#include <QDir>
#include <QFile>

namespace tavlo::cli {

namespace {

// A fictional child with a few scores in every kind of measure, to try the program on.
TestRecord demonstrationTest()
{
    TestRecord t;
    NewTestRecord(t, Date{2012, 3, 24});
    t.person.NAMN = QStringLiteral("Demo Demosen (fiktiv)");
    t.person.TESTLEDARE = QStringLiteral("Demo");
    t.person.SKOLA = QStringLiteral("Demoskolen");
    t.person.KLASS = QStringLiteral("3");
    t.person.BORNDATE = {2004, 1, 15};
    t.person.SEX = 2;
    t.person.HANDEDNESS = 2;
    t.person.OTHER = QStringLiteral("Eksempel, ikke et virkelig barn");
    const std::pair<Key, int> scores[] = {
        {Key::AI, 24},    {Key::BF_S, 9},    {Key::BF_A, 8},    {Key::BK, 15},
        {Key::DS_N, 3},   {Key::DS_REP, 1},  {Key::DS_R, 7},    {Key::FK_O, 14},
        {Key::FK_M, 30},  {Key::FK_G, 28},   {Key::FK_L, 25},   {Key::FR_AD, 12},
        {Key::FR_AID, 13}, {Key::FR_BD, 20}, {Key::FR_BID, 22}, {Key::FBAB, 30},
        {Key::FI, 25},    {Key::GP, 22},     {Key::IH_D, 10},   {Key::IH_ID, 9},
        {Key::INB_O, 1},  {Key::INB_S, 2},   {Key::INB_T, 70},  {Key::INI_O, 3},
        {Key::INI_S, 2},  {Key::INI_T, 110}, {Key::INV_O, 4},   {Key::INV_S, 3},
        {Key::INV_T, 150}, {Key::KA, 6},     {Key::KL, 40},     {Key::MM, 45},
        {Key::MT_V, 17},  {Key::MT_K, 4},    {Key::MA_A, 11},   {Key::MA_B, 10},
        {Key::MB_F, 12},  {Key::MB_FS, 26},  {Key::MB_I, 14},   {Key::MN_A, 15},
        {Key::MN_B, 5},   {Key::MO_A5, 11},  {Key::MO_A, 45},   {Key::MO_B, 8},
        {Key::OS, 50},    {Key::OF_A, 18},   {Key::OF_B, 15},   {Key::OI_REP, 14},
        {Key::OI_RENDER, 25}, {Key::PI, 20}, {Key::PB_T, 120},  {Key::PB_R, 100},
        {Key::VP_T, 160}, {Key::VP_F, 40},
    };
    for (const auto& [key, value] : scores)
        t.scores[key] = value;
    // Trials 3-6 and the delayed recall: a few cards on their own places, one foil.
    for (int block = 3; block <= 7; ++block) {
        const int base = 16 * (block - 1);
        t.grid.cell(base + 7) = 1;
        t.grid.cell(base + 6) = 2;
        t.grid.cell(base + 2) = 9;
        t.grid.cell(base + 11) = 7;
    }
    return t;
}

std::optional<CsvTable> readCsv(const QString& path)
{
    QString error;
    const auto bytes = ReadInputFile(path, kNormFileLimit, &error);
    if (!bytes) {
        print(error, stderr);
        return std::nullopt;
    }
    auto table = ParseCsv(*bytes, &error);
    if (!table)
        print(QStringLiteral("%1, %2. Ingenting er endret.").arg(path, error), stderr);
    return table;
}

} // namespace

int testAge(QStringList args)
{
    if (args.size() != 2)
        return usageFor("test-age");
    const auto testDate = ParseTypedDate(args[0]);
    if (!testDate) {
        tell(QStringLiteral("Feil testdato. Endre til gyldig dato!"), MessageIcon::Exclamation);
        return kUsageError;
    }
    const auto bornDate = ParseTypedDate(args[1]);
    if (!bornDate) {
        tell(QStringLiteral("Feil fødselsdato. Endre til gyldig dato!"), MessageIcon::Exclamation);
        return kUsageError;
    }
    if (BornAfterTest(*testDate, *bornDate)) {
        tell(QStringLiteral("Feil fødselsdato. Endre til gyldig dato! Fødselsdatoen %1 er etter testdatoen %2, "
                            "og da er det ingen testalder.")
                 .arg(FormatDate(*bornDate), FormatDate(*testDate)),
             MessageIcon::Exclamation);
        return kFailure;
    }
    print(FormatTestAge(ComputeTestAge(*testDate, *bornDate)));
    return 0;
}

namespace {

int upgradeRoles(const QString& folder, const QString& admin)
{
    // The administrator cannot read the old owner's tables before taking them over.
    setConnectionRole(admin);
    probeTablesAtConnect(false);
    Database db;
    if (!connectFolder(db, folder))
        return kFailure;
    if (db.serverRole().isEmpty()) {
        print(QStringLiteral("--upgrade-roles gjelder en database på en databasetjener; databasen i %1 er en fil. "
                             "Ingenting er endret.")
                  .arg(folder),
              stderr);
        return kUsageError;
    }
    QString message;
    const UpgradeResult result = UpgradeToOwnRoles(db, &message);
    print(message, result == UpgradeResult::Upgraded ? stdout : stderr);
    return result == UpgradeResult::Upgraded ? kSuccess : result == UpgradeResult::Refused ? kUsageError : kFailure;
}

} // namespace

int initDb(QStringList args)
{
    const bool demo = args.removeAll(QStringLiteral("--demo")) > 0;
    const bool upgrade = args.removeAll(QStringLiteral("--upgrade-roles")) > 0;
    const bool onServer = args.contains(QStringLiteral("--server"));
    const QString server = takeOption(args, QStringLiteral("--server"));
    const QString user = takeOption(args, QStringLiteral("--user"));
    const bool passwordGiven = args.contains(QStringLiteral("--password"));
    QString password = takeOption(args, QStringLiteral("--password"));
    if (args.size() != 1 || user.isEmpty() || (passwordGiven && password.isEmpty()) || (onServer && server.isEmpty())
        || (upgrade && (onServer || passwordGiven || demo)))
        return usageFor("init-db");
    if (upgrade)
        return upgradeRoles(args[0], user);
    std::optional<QString> connectionTemplate;
    if (onServer) {
        QString refusal;
        connectionTemplate = ServerConnectionTemplate(server, &refusal);
        if (!connectionTemplate) {
            print(refusal + QStringLiteral(" Ingenting er opprettet."), stderr);
            return kUsageError;
        }
    }
    // Typed, or piped in, it stays out of the process list and the shell's history.
    if (passwordGiven) {
        print(QStringLiteral("Merk: passordet står på kommandolinjen, og andre brukere på maskinen kan se det i "
                             "prosesslisten mens kommandoen går (og det blir stående i skallets historikk). Utelat "
                             "--password, så spør kommandoen etter passordet uten å vise det, eller send det på "
                             "standard inn."),
              stderr);
    } else {
        // The administrator's role exists already: its password is asked once, as at a login.
        const auto typed = onServer ? serverPassword(*connectionTemplate, user) : readNewPassword(user);
        if (!typed)
            return kFailure;
        password = *typed;
    }
    QString message;
    const CreateResult result = onServer ? CreateServerDatabase(args[0], user, password, server, &message)
                                         : CreateDatabase(args[0], user, password, &message);
    print(message, result == CreateResult::Created ? stdout : stderr);
    switch (result) {
    case CreateResult::Created:
        if (demo) {
            Database db;
            TestRecord test = demonstrationTest();
            if (onServer) {
                setConnectionRole(user);
                if (!db.awaitLogin(QDir(args[0]).filePath(kDatabaseFileName), QDir(args[0]).filePath(kWorkgroupFileName))
                    || db.connectAs(user, password) != 1)
                    return kFailure;
            } else if (!connectFolder(db, args[0])) {
                return kFailure;
            }
            if (!SaveTest(db, test, true))
                return kFailure;
            print(QStringLiteral("Demonstrasjonstest lagret som testperson nummer %1.").arg(test.person.ID));
        }
        return 0;
    case CreateResult::Refused:
        return kUsageError;
    case CreateResult::Failed:
        break;
    }
    return kFailure;
}

int score(QStringList args)
{
    const bool header = takeFlag(args, kHeaderOption);
    bool numeric = false;
    const int id = args.value(1).toInt(&numeric);
    if (args.size() != 2 || !numeric)
        return usageFor("score");
    LineSink sink;
    setMessageSink(&sink);
    Session session;
    if (!connectFolder(session, args[0]))
        return kFailure;
    // The person and both score rows as one version, even while another program saves it.
    if (ShowIfFailed(OpenAndScore(session, id)))
        return kFailure;
    const TestRecord& test = session.test;
    const NormState& norms = session.norms;

    if (header)
        printHeader("score");
    print(QStringLiteral("AGEGROUP\t") + norms.CurrentAgeGroup);
    print(QStringLiteral("DESCRIPTION\t") + norms.AgeGroupDescription);
    print(QStringLiteral("TESTAGE\t") + FormatTestAge(test.testAge()));
    for (int k = 0; k < kKeyCount; ++k) {
        const auto key = Key(k);
        const Result& result = test.result(key);
        print(QStringLiteral("%1\t%2\t%3\t%4")
                  .arg(QLatin1String(keyName(key)))
                  .arg(test.raw(key))
                  .arg(result.value)
                  .arg(result.text));
    }
    return 0;
}

int importNorms(QStringList args)
{
    const QString groupsPath = takeOption(args, QStringLiteral("--groups"));
    if (args.size() != 2)
        return usageFor("import-norms");
    const auto rows = readCsv(args[1]);
    const auto groups = groupsPath.isEmpty() ? std::nullopt : readCsv(groupsPath);
    if (!rows || (!groupsPath.isEmpty() && !groups))
        return kUsageError;
    Database db;
    if (!connectFolder(db, args[0]))
        return kFailure;
    QString error;
    if (!ImportNorms(db, *rows, groups ? &*groups : nullptr, &error)) {
        print(QStringLiteral("%1: %2. Ingenting er endret.").arg(args[1], error), stderr);
        return kUsageError;
    }
    print(QStringLiteral("Normene er lest inn: %1 rader.").arg(rows->rows.size()));
    if (!groups)
        print(QStringLiteral("Merk: beskrivelsene av aldersgruppene er ikke endret; gi dem med --groups."), stderr);
    return 0;
}

} // namespace tavlo::cli
