// tavlo-ii-cli: the program's jobs without its windows.
#include "model/Dates.h"
#include "model/TestRecord.h"
#include "resources/StringTable.h"
#include "scoring/NormImport.h"
#include "scoring/Scoring.h"
#include "store/NewDatabase.h"
#include "store/TestStore.h"
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
               "       tavlo-ii-cli init-db FOLDER --user NAME --password PASSWORD [--demo]\n"
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

bool connectFolder(tavlo::Database& db, const QString& folder);

// A fictional child with a few scores in every kind of measure, to try the program on.
tavlo::TestRecord demonstrationTest()
{
    tavlo::TestRecord t;
    tavlo::NewTestRecord(t, tavlo::Date{2012, 3, 24});
    t.person.NAMN = QStringLiteral("Demo Demosen (fiktiv)");
    t.person.TESTLEDARE = QStringLiteral("Demo");
    t.person.SKOLA = QStringLiteral("Demoskolen");
    t.person.KLASS = QStringLiteral("3");
    t.person.BORNDATE = {2004, 1, 15};
    t.person.SEX = 2;
    t.person.HANDEDNESS = 2;
    t.person.OTHER = QStringLiteral("Eksempel, ikke et virkelig barn");
    const std::pair<tavlo::Key, int> scores[] = {
        {tavlo::Key::AI, 24},    {tavlo::Key::BF_S, 9},    {tavlo::Key::BF_A, 8},    {tavlo::Key::BK, 15},
        {tavlo::Key::DS_N, 3},   {tavlo::Key::DS_REP, 1},  {tavlo::Key::DS_R, 7},    {tavlo::Key::FK_O, 14},
        {tavlo::Key::FK_M, 30},  {tavlo::Key::FK_G, 28},   {tavlo::Key::FK_L, 25},   {tavlo::Key::FR_AD, 12},
        {tavlo::Key::FR_AID, 13}, {tavlo::Key::FR_BD, 20}, {tavlo::Key::FR_BID, 22}, {tavlo::Key::FBAB, 30},
        {tavlo::Key::FI, 25},    {tavlo::Key::GP, 22},     {tavlo::Key::IH_D, 10},   {tavlo::Key::IH_ID, 9},
        {tavlo::Key::INB_O, 1},  {tavlo::Key::INB_S, 2},   {tavlo::Key::INB_T, 70},  {tavlo::Key::INI_O, 3},
        {tavlo::Key::INI_S, 2},  {tavlo::Key::INI_T, 110}, {tavlo::Key::INV_O, 4},   {tavlo::Key::INV_S, 3},
        {tavlo::Key::INV_T, 150}, {tavlo::Key::KA, 6},     {tavlo::Key::KL, 40},     {tavlo::Key::MM, 45},
        {tavlo::Key::MT_V, 17},  {tavlo::Key::MT_K, 4},    {tavlo::Key::MA_A, 11},   {tavlo::Key::MA_B, 10},
        {tavlo::Key::MB_F, 12},  {tavlo::Key::MB_FS, 26},  {tavlo::Key::MB_I, 14},   {tavlo::Key::MN_A, 15},
        {tavlo::Key::MN_B, 5},   {tavlo::Key::MO_A5, 11},  {tavlo::Key::MO_A, 45},   {tavlo::Key::MO_B, 8},
        {tavlo::Key::OS, 50},    {tavlo::Key::OF_A, 18},   {tavlo::Key::OF_B, 15},   {tavlo::Key::OI_REP, 14},
        {tavlo::Key::OI_RENDER, 25}, {tavlo::Key::PI, 20}, {tavlo::Key::PB_T, 120},  {tavlo::Key::PB_R, 100},
        {tavlo::Key::VP_T, 160}, {tavlo::Key::VP_F, 40},
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

int initDb(QStringList args)
{
    const bool demo = args.removeAll(QStringLiteral("--demo")) > 0;
    const QString user = takeOption(args, QStringLiteral("--user"));
    const QString password = takeOption(args, QStringLiteral("--password"));
    if (args.size() != 1 || user.isEmpty() || password.isEmpty())
        return usage();
    QString message;
    const tavlo::CreateResult result = tavlo::CreateDatabase(args[0], user, password, &message);
    print(message, result == tavlo::CreateResult::Created ? stdout : stderr);
    switch (result) {
    case tavlo::CreateResult::Created:
        if (demo) {
            tavlo::Database db;
            tavlo::TestRecord test = demonstrationTest();
            if (!connectFolder(db, args[0]) || !tavlo::SaveTest(db, test, true))
                return kFailure;
            print(QStringLiteral("Demonstrasjonstest lagret som testperson nummer %1.").arg(test.person.ID));
        }
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
    if (db.DbConnect(QStringLiteral("TAVLO-II"), account.name, account.password,
                     dir.filePath(tavlo::kDatabaseFileName), dir.filePath(tavlo::kWorkgroupFileName))
        == 1)
        return true;
    // As in the program: the driver's reason first, then the system's own message.
    tavlo::tell(tavlo::LoadString(60), tavlo::MessageIcon::Stop);
    return false;
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
    // The person and both score rows as one version, even while another program saves it.
    if (!tavlo::ReadTest(db, test, id))
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
