// The export of tests whose texts Windows-1252 cannot hold: named, and written only as UTF-8
// when asked; the import reading both encodings back.
#include "ArchiveFixture.h"
#include "Exported.h"
#include "Files.h"
#include "FixedArchive.h"
#include "Str.h"
#include "ToolRun.h"
#include "archive/ExportDialog.h"
#include "model/PersonText.h"
#include "store/files/ImportFile.h"

#include <QBuffer>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tavlo;
using namespace tavlo::test::files;
using tavlo::test::ArchiveFixture;
using tavlo::test::childAged;
using tavlo::test::RecordingSink;
using tavlo::test::runCli;
using tavlo::test::str;
using tavlo::test::TempDatabase;
using tavlo::test::withField;

namespace {

// Tests with Sámi texts, and the fields Windows-1252 cannot hold (š ž á it can; č đ ŋ ŧ not).
struct Mixed {
    QString name, school, leader, other;
    QStringList misfits;
};
const Mixed kMixed[] = {
    {QStringLiteral("ánde čorgaš"), QStringLiteral("Kárášjoga skuvla"), QStringLiteral("Ánne"), QStringLiteral("Šárá"),
     {QStringLiteral("Navn")}},
    {QStringLiteral("Máret"), QStringLiteral("Ŋuolja skuvla"), QStringLiteral("Đuressen"), QStringLiteral("ž"),
     {QStringLiteral("Skole"), QStringLiteral("Testleder")}},
};

// Stores the mixed tests; their numbers.
std::vector<int> storeMixed(Database& db)
{
    std::vector<int> ids;
    for (const Mixed& m : kMixed) {
        TestRecord t = childAged(8, 3);
        t.person.NAMN = m.name;
        t.person.SKOLA = m.school;
        t.person.TESTLEDARE = m.leader;
        t.person.OTHER = m.other;
        t.scores.AI = 7;
        EXPECT_TRUE(SaveTest(db, t, true));
        ids.push_back(t.person.ID);
    }
    return ids;
}

// How the file names a test Windows-1252 cannot hold.
QString misfitLine(int id, const Mixed& m)
{
    QStringList quoted;
    for (const QString& field : m.misfits)
        quoted.append(u'"' + field + u'"');
    return QStringLiteral("Testperson nummer %1: %2").arg(id).arg(quoted.join(QStringLiteral(", ")));
}

QString fromWindows1252(const QByteArray& bytes)
{
    QString text;
    for (const char byte : bytes) {
        // Tab and CR are their own bytes; the code page's function leaves control bytes out.
        const auto b = static_cast<unsigned char>(byte);
        const char32_t c = b < 0x20 ? char32_t(b) : FromWindows1252(b);
        text += QString::fromUcs4(&c, 1);
    }
    return text;
}

QByteArray exportedAs(Database& db, ExportEncoding encoding)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_EQ(ExportAll(db, buffer, {}, kTestsPerChunk, encoding).outcome, ExportOutcome::Written);
    return buffer.data();
}

// The ten texts of every stored person, by number.
std::map<int, QStringList> personTexts(Database& db)
{
    std::map<int, QStringList> texts;
    ListPersons(db, 0, false, [&](const PersonListRow& row) { texts[row.ID]; });
    for (auto& [id, fields] : texts) {
        PersonalData p;
        EXPECT_EQ(ReadPerson(db, p, id), 1);
        for (const auto& [label, text] : PersonTextFields(p))
            fields.append(*text);
    }
    return texts;
}

} // namespace

TEST(Utf8Export, AMixedDatabaseIsRefusedNamingTestsAndFieldsAndWrittenAsUtf8OnlyWhenAsked)
{
    TempDatabase t;
    tavlo::test::makeFixedArchive(t);
    const std::vector<int> ids = storeMixed(t.db);
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("eksport.txt"));
    writeFile(path, kEarlier);

    const auto refused = runCli({QStringLiteral("export"), t.folder(), path});
    EXPECT_EQ(refused.status, 1);
    for (size_t i = 0; i < ids.size(); ++i)
        EXPECT_TRUE(refused.err.contains(misfitLine(ids[i], kMixed[i]))) << str(refused.err);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("--utf8"))) << str(refused.err);
    EXPECT_EQ(contentsOf(path), kEarlier) << "nothing written, nothing lost";
    EXPECT_EQ(filesIn(out.path()), QStringList{QStringLiteral("eksport.txt")});

    const auto written = runCli({QStringLiteral("export"), t.folder(), path, QStringLiteral("--utf8")});
    ASSERT_EQ(written.status, 0) << str(written.err);
    const QByteArray file = contentsOf(path);
    ASSERT_TRUE(file.startsWith(kMark));
    // Every line the Windows-1252 file has is the same text; the mixed tests follow.
    const QList<QByteArray> got = file.mid(kMark.size()).split('\n');
    const QList<QByteArray> before = contentsOf(QStringLiteral(TAVLO_TEST_DATA "/fixed-archive-export.txt")).split('\n');
    ASSERT_EQ(got.size(), before.size() + qsizetype(ids.size()));
    for (qsizetype i = 0; i + 1 < before.size(); ++i)
        EXPECT_EQ(str(QString::fromUtf8(got[i])), str(fromWindows1252(before[i]))) << "line " << i + 1;
    for (size_t i = 0; i < ids.size(); ++i) {
        const QList<QByteArray> fields = got[before.size() - 1 + qsizetype(i)].split('\t');
        ASSERT_EQ(fields.size(), 189);
        EXPECT_EQ((QStringList{QString::fromUtf8(fields[0]), QString::fromUtf8(fields[1]), QString::fromUtf8(fields[6]),
                               QString::fromUtf8(fields[9]), QString::fromUtf8(fields[15])}),
                  (QStringList{QString::number(ids[i]), kMixed[i].name, kMixed[i].school, kMixed[i].leader,
                               kMixed[i].other}));
    }
    EXPECT_TRUE(got.last().isEmpty()) << "the last line ends in CR LF";
}

TEST(Utf8Import, ReadsUtf8ByItsMarkOrWhenToldAndRefusesBrokenUtf8NamingTheLine)
{
    TempDatabase source;
    RecordingSink sink;
    TestRecord plain = childAged(9, 0);
    plain.person.NAMN = QStringLiteral("Åse Ødegård");
    ASSERT_TRUE(SaveTest(source.db, plain, true));
    storeMixed(source.db);
    ASSERT_EQ(personTexts(source.db).size(), 3u) << "the cases below change lines 2 to 4";
    const QByteArray utf8 = exportedAs(source.db, ExportEncoding::Utf8);
    const QByteArray bare = utf8.mid(kMark.size());

    const struct {
        const char* what;
        QByteArray file;
        bool toldUtf8;
        QString said; // the start of the refusal; empty: stored
    } cases[] = {
        {"UTF-8 with its mark", utf8, false, {}},
        {"UTF-8 without its mark, told", bare, true, {}},
        {"UTF-8 with its mark, told as well", utf8, true, {}},
        // Read as Windows-1252, where č's second byte is no character.
        {"UTF-8 without its mark, not told", bare, false,
         QStringLiteral("Linje 3, felt NAMN: byten 0x8D er ikke et tegn i Windows-1252")},
        {"a lead byte without its continuation", withField(utf8, 3, "NAMN", "Ola \xC3("), false,
         QStringLiteral("Linje 3, felt NAMN: feltet er ikke gyldig UTF-8")},
        {"an overlong slash", withField(utf8, 2, "ADRESS", "\xC0\xAF"), false,
         QStringLiteral("Linje 2, felt ADRESS: feltet er ikke gyldig UTF-8")},
        {"a surrogate", withField(bare, 4, "SKOLA", "\xED\xA0\x80"), true,
         QStringLiteral("Linje 4, felt SKOLA: feltet er ikke gyldig UTF-8")},
        {"a sequence cut short", withField(utf8, 4, "OVRIGT", "\xE2\x82"), false,
         QStringLiteral("Linje 4, felt OVRIGT: feltet er ikke gyldig UTF-8")},
    };
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("inn.txt"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDatabase target;
        writeFile(path, c.file);
        QStringList args{QStringLiteral("import"), target.folder(), path};
        if (c.toldUtf8)
            args.append(QStringLiteral("--utf8"));
        const auto run = runCli(args);
        if (c.said.isEmpty()) {
            EXPECT_EQ(run.status, 0) << str(run.err);
            EXPECT_EQ(personTexts(target.db), personTexts(source.db));
        } else {
            EXPECT_EQ(run.status, 1);
            EXPECT_TRUE(run.err.startsWith(c.said)) << str(run.err);
            EXPECT_TRUE(personTexts(target.db).empty());
        }
    }
    // A text written decomposed by another tool is stored composed, as the form stores it.
    TempDatabase target;
    const QByteArray decomposed = withField(utf8, 2, "NAMN", QStringLiteral("A\u030Anund").toUtf8());
    ASSERT_EQ(ImportTests(target.db, decomposed).outcome, ImportOutcome::Stored) << str(sink.texts().join(u'\n'));
    const auto stored = personTexts(target.db);
    ASSERT_FALSE(stored.empty());
    EXPECT_EQ(stored.begin()->second.value(0), QStringLiteral("Ånund"));
}

class Utf8ExportDialog : public ArchiveFixture {
protected:
    void SetUp() override
    {
        ArchiveFixture::SetUp();
        SetExportFileChooser([this](QWidget*) { return target; });
        SetExportFileOpener([this](const QString& path) { opened.append(path); });
        SetExportDialogRunner([](ExportDataDialog& dialog) {
            dialog.show();
            dialog.okButton()->click();
        });
    }
    void TearDown() override
    {
        SetExportFileChooser({});
        SetExportFileOpener({});
        SetExportDialogRunner({});
    }

    QTemporaryDir out;
    const QString target = out.filePath(QStringLiteral("eksport.txt"));
    QStringList opened;
};

TEST_F(Utf8ExportDialog, OffersUtf8NamingTestsAndFieldsAndConfirmsEveryWrittenFile)
{
    store("Kari", {2012, 6, 15});
    const std::vector<int> ids = storeMixed(ctx.db);
    open();
    const QString confirmation =
        QStringLiteral("Eksporten er lagret i %1: 3 tester.").arg(QDir::toNativeSeparators(target));
    const struct {
        const char* what;
        QString fix;          // run on the database first
        QList<bool> answers;  // to the offer
        bool asked;
        bool utf8;            // the file written; neither: the earlier file stays
        bool windows1252;
    } cases[] = {
        {"No writes nothing", {}, {false}, true, false, false},
        {"Yes writes UTF-8", {}, {true}, true, true, false},
        {"texts that fit write Windows-1252 without a question",
         QStringLiteral("UPDATE TESTPERSON SET NAMN = 'Ante', SKOLA = 'Skuvla', TESTLEDARE = 'Biret'"), {}, false, false,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.fix.isEmpty())
            db.exec(c.fix);
        writeFile(target, kEarlier);
        sink.messages.clear();
        opened.clear();
        sink.answers = c.answers;
        QTest::mouseClick(w.button(92), Qt::LeftButton);

        const bool written = c.utf8 || c.windows1252;
        QStringList expected;
        if (c.asked) {
            ASSERT_FALSE(sink.messages.isEmpty());
            const tavlo::test::RecordedMessage& offer = sink.messages.takeFirst();
            EXPECT_TRUE(offer.question);
            for (size_t i = 0; i < ids.size(); ++i)
                EXPECT_TRUE(offer.text.contains(misfitLine(ids[i], kMixed[i]))) << str(offer.text);
            EXPECT_TRUE(offer.text.contains(QStringLiteral("UTF-8"))) << str(offer.text);
        }
        EXPECT_EQ(sink.texts(), written ? QStringList{confirmation} : QStringList{});
        EXPECT_EQ(contentsOf(target), c.utf8          ? exportedAs(ctx.db, ExportEncoding::Utf8)
                                      : c.windows1252 ? tavlo::test::exported(ctx.db)
                                                      : kEarlier);
        EXPECT_EQ(opened, written ? QStringList{target} : QStringList{});
        EXPECT_EQ(filesIn(out.path()), QStringList{QStringLiteral("eksport.txt")});
    }
}
