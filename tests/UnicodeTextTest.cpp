// Names in Sámi and other Latin letters beyond Windows-1252: typed, stored on both stores,
// reported and printed as they were typed; control and invisible characters still refused.
#include "Ages.h"
#include "Pdf.h"
#include "PrintTo.h"
#include "RecordingSink.h"
#include "Str.h"
#include "TempDatabase.h"
#include "Typing.h"
#include "app/AppContext.h"
#include "app/MainWindow.h"
#include "entry/PersonForm.h"
#include "model/PersonText.h"
#include "report/Report.h"
#include "results/Printing.h"
#include "store/tables/PersonTable.h"
#include "store/tables/TestStore.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tavlo;
using tavlo::test::RecordingSink;
using tavlo::test::str;
using tavlo::test::TempDatabase;
using tavlo::test::testServer;
using tavlo::test::typeText;

namespace {

// Fields of the person form (PersonForm's ids) and what is typed into them.
constexpr int kName = 0, kSchool = 5, kOther = 9, kLeader = 8, kTestDate = 10, kBornDate = 11, kSex = 13;

struct Typed {
    QString name;
    QString school;
    QString other;
};

// The Sámi letters č đ ŋ š ŧ ž á of both cases; a school of 49 characters of up to three
// bytes in UTF-8 each (€ and ŧ); and a name typed decomposed, stored composed.
const Typed kTyped[] = {
    {QStringLiteral("ánde čorgaš"), QStringLiteral("Guovdageainnu skuvla"), QStringLiteral("sámegiella")},
    {QStringLiteral("Ŋuolja Đuressen"), QStringLiteral("Kárášjoga skuvla"), QStringLiteral("ŋ đ ŧ")},
    {QStringLiteral("Máret Ŧ"), QString(24, QChar(0x20AC)) + QString(25, QChar(0x0167)), QStringLiteral("€ 50")},
    {QStringLiteral("Šárá Žoavddaš"), QStringLiteral("Łódź og Øvre Ŋ"), QStringLiteral("ǩ ǯ")},
    {QStringLiteral("A\u0301nde c\u030Corgas\u030C"), QStringLiteral("Ánde"), QString()},
};

QStringList typedTexts(const PersonalData& p)
{
    return {p.NAMN, p.SKOLA, p.OTHER};
}

QStringList listedNames(Database& db)
{
    QStringList names;
    EXPECT_EQ(ListPersons(db, 0, false, [&](const PersonListRow& row) { names.append(row.NAMN); }), 1);
    return names;
}

} // namespace

TEST(UnicodeText, SamiNamesGoFromTheFormToBothStoresTheReportAndThePrintedPage)
{
    if (!testServer())
        GTEST_SKIP() << tavlo::test::kNoTestServer;
    RecordingSink sink;
    TempDatabase file;
    TempDatabase server(StoreKind::Postgres);
    AppContext ctx;
    ASSERT_TRUE(file.connect(ctx.db));
    MainWindow w{ctx};
    w.setRawScoreEntry([] { return 0; });
    QTemporaryDir out;

    for (const Typed& typed : kTyped) {
        SCOPED_TRACE(str(typed.name));
        const QStringList expected{typed.name.normalized(QString::NormalizationForm_C), typed.school, typed.other};

        // Typed into the real form, key by key.
        NewTestRecord(ctx.test);
        w.showPersonForm();
        w.show();
        auto* form = qobject_cast<PersonForm*>(w.screen());
        ASSERT_NE(form, nullptr);
        for (const auto& [id, text] : {std::pair{kName, typed.name}, std::pair{kSchool, typed.school},
                                       std::pair{kOther, typed.other}, std::pair{kLeader, QStringLiteral("Ánne")}}) {
            form->field(id)->clear();
            typeText(form->field(id), text);
            ASSERT_EQ(form->field(id)->text(), text) << "field " << id;
        }
        for (const auto& [id, keys] : {std::pair{kTestDate, "15062012"}, std::pair{kBornDate, "15062005"},
                                       std::pair{kSex, "g"}}) {
            form->field(id)->clear();
            QTest::keyClicks(form->field(id), QLatin1String(keys));
        }
        sink.messages.clear(); // leaving the last form may have asked
        QTest::mouseClick(w.button(91), Qt::LeftButton);
        ASSERT_TRUE(sink.messages.isEmpty()) << str(sink.texts().join(u'\n'));
        EXPECT_EQ(typedTexts(ctx.test.person), expected);

        // Stored and read back, and listed, on SQLite through its ODBC driver and on PostgreSQL.
        ASSERT_TRUE(SaveTest(ctx.db, ctx.test, true));
        TestRecord onServer = ctx.test;
        ASSERT_TRUE(SaveTest(server.db, onServer, true));
        for (const auto& [db, id] : {std::pair{&ctx.db, ctx.test.person.ID}, std::pair{&server.db, onServer.person.ID}}) {
            TestRecord back;
            ASSERT_EQ(ReadTest(*db, back, id), 1);
            EXPECT_EQ(typedTexts(back.person), expected);
            EXPECT_TRUE(listedNames(*db).contains(expected[0]));
        }

        // The report as data, and the printed pages: the person page and a domain's strip.
        const Report report = BuildReport(ctx.test, {});
        EXPECT_EQ(report.strip.name.value, expected[0]);
        EXPECT_TRUE(report.strip.pageTitle.endsWith(expected[0])) << str(report.strip.pageTitle);
        const QString pdf = out.filePath(QStringLiteral("rapport.pdf"));
        ASSERT_TRUE(PrintReport(ctx, ReportChoice({true, false, false, false, false, false}), nullptr,
                                tavlo::test::printTo(pdf)))
            << str(sink.texts().join(u'\n'));
        for (const int page : {1, 2}) {
            const QString text = tavlo::test::pdfPageText(pdf, page).normalized(QString::NormalizationForm_C);
            EXPECT_TRUE(text.contains(expected[0])) << "page " << page << ": " << str(text);
        }
    }
    EXPECT_EQ(listedNames(server.db).size(), qsizetype(std::size(kTyped)));
}

TEST(UnicodeText, ControlAndInvisibleCharactersAndOtherScriptsAreStillRefusedByCode)
{
    // Each character after a Sámi name, with how the refusal shows it.
    const struct {
        char32_t c;
        const char* shown;
    } cases[] = {
        {0x0009, "U+0009"}, {0x000A, "U+000A"}, {0x001F, "U+001F"}, {0x007F, "U+007F"}, {0x0085, "U+0085"},
        {0x200B, "U+200B"}, {0x200D, "U+200D"}, {0x200E, "U+200E"}, {0x202E, "U+202E"}, {0x2028, "U+2028"},
        {0x2029, "U+2029"}, {0x2066, "U+2066"}, {0xFEFF, "U+FEFF"}, {0xE000, "U+E000"}, {0x0378, "U+0378"},
        {0x0301, "U+0301"}, // a mark with no letter to compose with
        {0x0416, "Ж"},      {0x03A9, "Ω"},      {0x2713, "✓"},      {0x1F600, "😀"},
    };
    for (const auto& c : cases) {
        // Not fromUcs4 alone: it drops U+FEFF at the start as a byte-order mark.
        const QString text = QStringLiteral("ánde čorgaš")
                             + (c.c < 0x10000 ? QString(QChar(char16_t(c.c))) : QString::fromUcs4(&c.c, 1));
        SCOPED_TRACE(c.shown);
        const auto refusal = CheckPersonText(QStringLiteral("Navn"), NormalizedPersonText(text));
        ASSERT_TRUE(refusal);
        EXPECT_EQ(*refusal, QStringLiteral("Feltet \"Navn\" inneholder tegnet \"%1\", som ikke kan lagres. "
                                           "Fjern eller erstatt tegnet.")
                                .arg(QString::fromUtf8(c.shown)));
    }
    // The limit counts letters as typed: 49 Sámi letters fit, 50 do not; a formula stays refused.
    EXPECT_FALSE(CheckPersonText(QStringLiteral("Navn"), QString(49, QChar(0x014B))));
    EXPECT_TRUE(CheckPersonText(QStringLiteral("Navn"), QString(50, QChar(0x014B))));
    EXPECT_TRUE(CheckPersonText(QStringLiteral("Navn"), QStringLiteral("=Čorgaš")));
}
