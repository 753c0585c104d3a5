// The research export (CSV) and the codebook of both export files, on a real database through
// the real driver and the tool, read back by pandas, R and LibreOffice Calc in Norwegian.
#include "Ages.h"
#include "Files.h"
#include "Str.h"
#include "TempDatabase.h"
#include "ToolRun.h"
#include "store/files/Csv.h"
#include "store/files/ExportFile.h"
#include "store/tables/TestStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>

using namespace tavlo;
using namespace tavlo::test::files;
using tavlo::test::childAged;
using tavlo::test::runCli;
using tavlo::test::str;
using tavlo::test::TempDatabase;

namespace {

// The stored tests, and what the research file holds for each in some of its columns: written
// out here from the design of the file, not from its writer.
struct Child {
    const char* name;
    int years, months, days;
    int sex, hand;
    std::map<QString, QString> fields; // column -> field as written (quotes included)
};
const Child kChildren[] = {
    {"Åse Ørnø Ædel", 8, 2, 9, 2, 2,
     {{"NAMN", "Åse Ørnø Ædel"}, {"TESTDAT", "2012-06-15"}, {"FODELSED", "2004-04-06"}, {"ALDER_AR", "8"},
      {"ALDER_MND", "2"}, {"ALDER_DAGER", "9"}, {"ALDER_MND_TOTALT", "98"}, {"KJONN", "Jente"},
      {"HANDPREFERANSE", "Høyre"}, {"AI", "0"}, {"KR_A", ""}, {"FB_A", "3"}, {"MF1_1", "4"}, {"MF_B_16", ""}}},
    {"Máret Čorgaš-Ŋuolja", 12, 11, 0, 1, 3,
     {{"NAMN", "Máret Čorgaš-Ŋuolja"}, {"ALDER_AR", "12"}, {"ALDER_MND", "11"}, {"ALDER_DAGER", "0"},
      {"ALDER_MND_TOTALT", "155"}, {"KJONN", "Gutt"}, {"HANDPREFERANSE", "Ambident"}, {"OVRIGT", "\"sa \"\"hei\"\", og gikk\""}}},
    // Rows stored before the program refused such texts, or by other tools.
    {"=1+1", 4, 0, 14, 1, 0,
     {{"NAMN", "'=1+1"}, {"ALDER_AR", "4"}, {"HANDPREFERANSE", ""}, {"ADRESS", "'@SUM(A1)"}, {"TFN", "'-5"}}},
};

// Stores the children through the program's own store; the texts it refuses, as another
// tool would have.
void storeChildren(TempDatabase& t)
{
    for (const Child& c : kChildren) {
        const QString name = QString::fromUtf8(c.name);
        const bool formula = name.startsWith(u'=');
        TestRecord test = childAged(c.years, c.months, c.days);
        test.person.NAMN = formula ? QStringLiteral("Barn") : name;
        test.person.SEX = c.sex;
        test.person.HANDEDNESS = c.hand;
        if (c.hand == 3)
            test.person.OTHER = QStringLiteral("sa \"hei\", og gikk");
        test.scores.AI = 0;
        test.scores.FBA = 3;
        test.grid.cell(1) = 4;
        ASSERT_TRUE(SaveTest(t.db, test, true));
        if (formula)
            t.exec(QStringLiteral("UPDATE TESTPERSON SET NAMN = '=1+1', ADRESS = '@SUM(A1)', TELEFON = '-5' WHERE ID = %1")
                       .arg(test.person.ID));
    }
}

class ResearchExport : public ::testing::Test {
protected:
    void SetUp() override { storeChildren(t); }

    // The file the tool writes in format ("txt" or "csv").
    QByteArray exported(const QString& format)
    {
        const QString path = out.filePath(QStringLiteral("eksport.") + format);
        QStringList args{QStringLiteral("export"), t.folder(), path, QStringLiteral("--format"), format};
        if (format == u"txt")
            args.append(QStringLiteral("--utf8")); // Sámi letters
        const auto run = runCli(args);
        EXPECT_EQ(run.status, 0) << str(run.err);
        return contentsOf(path);
    }

    TempDatabase t;
    QTemporaryDir out;
};

// The column names of a section of the codebook, in order: the first cell of its table rows.
QStringList codebookColumns(const QString& codebook, const QString& section)
{
    const qsizetype start = codebook.indexOf(QStringLiteral("\n## ") + section);
    const qsizetype end = codebook.indexOf(QStringLiteral("\n## "), start + 1);
    QStringList names;
    static const QRegularExpression row(QStringLiteral("^\\| \\d+ \\| `([^`]+)` \\|"));
    for (const QString& line : codebook.mid(start, end < 0 ? -1 : end - start).split(u'\n')) {
        if (const auto m = row.match(line); m.hasMatch())
            names.append(m.captured(1));
    }
    return names;
}

// A field as a reader takes it: surrounding quotes off, doubled quotes single.
QString unquoted(QString field)
{
    if (!field.startsWith(u'"'))
        return field;
    return field.mid(1, field.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
}

QStringList headerOf(const QByteArray& file, char separator)
{
    QByteArray first = file.left(file.indexOf("\r\n"));
    if (first.startsWith(kMark))
        first.remove(0, kMark.size());
    QStringList names = QString::fromLatin1(first).split(QLatin1Char(separator));
    if (separator == '\t')
        names.removeLast(); // every field, the last too, is followed by its tab
    return names;
}

} // namespace

TEST_F(ResearchExport, TheCsvFileIsRfc4180Utf8WithItsHeaderAndEveryFieldAsTheCodebookSays)
{
    const QByteArray file = exported(QStringLiteral("csv"));
    ASSERT_TRUE(file.startsWith(kMark + "NID,NAMN,")) << file.left(40).toStdString();
    const QList<QByteArray> lines = file.mid(kMark.size()).split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        EXPECT_TRUE(lines[i].endsWith('\r')) << "line " << i + 1 << " ends in CR LF";
    EXPECT_TRUE(lines.last().isEmpty()) << "the last line ends like the others";

    QString error;
    const auto table = ParseCsv(file, &error);
    ASSERT_TRUE(table) << str(error);
    EXPECT_EQ(table->header, ExportColumnNames(ExportFormat::Csv));
    EXPECT_FALSE(table->header.last().isEmpty()) << "no empty column at the end";
    ASSERT_EQ(table->rows.size(), qsizetype(std::size(kChildren)));
    for (qsizetype r = 0; r < table->rows.size(); ++r) {
        const Child& child = kChildren[r];
        ASSERT_EQ(table->rows[r].size(), table->header.size()) << child.name;
        const QByteArray line = lines[r + 1];
        for (const auto& [column, written] : child.fields) {
            const qsizetype at = table->header.indexOf(column);
            ASSERT_GE(at, 0) << str(column);
            EXPECT_EQ(table->rows[r].value(at), unquoted(written)) << child.name << " " << str(column);
            if (!written.isEmpty()) {
                const QByteArray field = "," + written.toUtf8() + (at + 1 == table->header.size() ? "\r" : ",");
                EXPECT_TRUE(line.contains(field)) << child.name << " " << str(column) << " as written";
            }
        }
    }
}

// The same children on the server give the same research file, byte for byte.
TEST_F(ResearchExport, TheServerGivesTheSameCsvFile)
{
    TempDatabase server(StoreKind::Postgres);
    storeChildren(server);
    const QString path = out.filePath(QStringLiteral("tjener.csv"));
    const auto run = runCli({QStringLiteral("export"), server.folder(), path, QStringLiteral("--format"), QStringLiteral("csv")});
    ASSERT_EQ(run.status, 0) << str(run.err);
    EXPECT_TRUE(contentsOf(path) == exported(QStringLiteral("csv")));
}

TEST_F(ResearchExport, TheCodebookNamesEveryColumnOfBothFilesInTheirOrder)
{
    const auto run = runCli({QStringLiteral("export"), QStringLiteral("--codebook")});
    ASSERT_EQ(run.status, 0) << str(run.err);
    // The tab-separated file refuses a text that begins like a formula.
    t.exec(QStringLiteral("UPDATE TESTPERSON SET NAMN = 'Barn', ADRESS = '', TELEFON = '' WHERE NAMN = '=1+1'"));
    const struct {
        const char* format;
        const char* section;
        char separator;
    } files[] = {{"txt", "1. Eksportfilen", '\t'}, {"csv", "2. Forskningsfilen", ','}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.format);
        const QStringList header = headerOf(exported(QString::fromLatin1(f.format)), f.separator);
        EXPECT_EQ(codebookColumns(run.out, QString::fromUtf8(f.section)), header);
    }
    EXPECT_EQ(headerOf(exported(QStringLiteral("txt")), '\t').size(), 188);
    for (const char* fact : {"Windows-1252", "CR LF", "tabulator", "byte-order mark", "RFC 4180", "ÅÅÅÅ-MM-DD",
                             "1 = Gutt, 2 = Jente", "0 = ikke oppgitt, 1 = Venstre, 2 = Høyre, 3 = Ambident, 4 = Obestämd",
                             "| `AI` | Råskåre: AG Totalskåre", "0–16 (til og med 4 år), 0–25 (5–6 år), 0–35 (fra 7 år)",
                             "| `MF_B_16` | Utsatt hukommelse, rute 16 (rad 4, kolonne 4)", "1–20 (kortnummer)"})
        EXPECT_TRUE(run.out.contains(QString::fromUtf8(fact))) << fact;
}

TEST(Codebook, TheCopyInTheRepositoryIsTheOneTheProgramMakes)
{
    const auto run = runCli({QStringLiteral("export"), QStringLiteral("--codebook")});
    ASSERT_EQ(run.status, 0) << str(run.err);
    const QString checkedIn = QStringLiteral(TAVLO_SOURCE_DIR "/doc/codebook.md");
    EXPECT_TRUE(contentsOf(checkedIn) == run.bytes)
        << "doc/codebook.md differs from what the program makes: run `cmake --build build --target codebook` and "
           "commit doc/codebook.md";
}

namespace {

// A cell as a reader took it.
struct Read {
    QString kind; // number, date, text, empty; formula when the reader ran one
    QString value;
};
using ReadTable = std::map<std::pair<int, QString>, Read>; // (row from 0, column) -> cell

QProcessEnvironment readerEnvironment(const QString& home, const QString& locale)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("LANG"), locale);
    env.insert(QStringLiteral("LC_ALL"), locale);
    return env;
}

// Runs a reader; its standard output, or nothing with the reason in error.
std::optional<QByteArray> runReader(const QString& program, const QStringList& args,
                                    const QProcessEnvironment& env, QString* error)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForStarted(30000)) {
        *error = program + QStringLiteral(" is not installed (tools/deps.sh installs it)");
        return std::nullopt;
    }
    if (!p.waitForFinished(180000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = program + QStringLiteral(" failed: ") + QString::fromUtf8(p.readAllStandardError());
        return std::nullopt;
    }
    return p.readAllStandardOutput();
}

// Lines "row<TAB>column<TAB>kind<TAB>value", as the pandas and R scripts print them.
ReadTable parseLines(const QByteArray& output)
{
    ReadTable table;
    for (const QString& line : QString::fromUtf8(output).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split(u'\t');
        if (f.size() == 4)
            table[{f[0].toInt(), f[1]}] = {f[2], f[3]};
    }
    return table;
}

const char* const kPandas = R"(
import sys, pandas
d = pandas.read_csv(sys.argv[1])
for i in range(len(d)):
    for c in d.columns:
        v = d[c].iloc[i]
        if pandas.isna(v): kind, v = 'empty', ''
        elif d[c].dtype.kind in 'iuf': kind, v = 'number', format(float(v), 'g')
        else: kind = 'text'
        print(i, c, kind, v, sep='\t')
)";

const char* const kR = R"(
d <- read.csv(commandArgs(TRUE)[1])
for (i in seq_len(nrow(d))) for (c in names(d)) {
  v <- d[i, c]
  kind <- if (is.na(v) || identical(v, "")) "empty" else if (is.numeric(v)) "number" else "text"
  cat(i - 1, c, kind, if (kind == "empty") "" else format(v), sep = "\t")
  cat("\n")
}
)";

ReadTable readWithPandas(const QString& csv, const QString& home, QString* error)
{
    const auto out = runReader(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kPandas), csv},
                               readerEnvironment(home, QStringLiteral("C.UTF-8")), error);
    return out ? parseLines(*out) : ReadTable{};
}

ReadTable readWithR(const QString& csv, const QString& home, QString* error)
{
    const auto out = runReader(QStringLiteral("Rscript"), {QStringLiteral("-e"), QString::fromUtf8(kR), csv},
                               readerEnvironment(home, QStringLiteral("C.UTF-8")), error);
    return out ? parseLines(*out) : ReadTable{};
}

// The text of the cell the reader is at: its paragraphs, one a line (the file's indentation
// between elements is none of it).
QString paragraphs(QXmlStreamReader& xml)
{
    QStringList lines;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"p")
            lines.append(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        else
            xml.skipCurrentElement();
    }
    return lines.join(u'\n');
}

// The cells of a flat OpenDocument spreadsheet, the first row naming the columns.
ReadTable readFods(const QByteArray& fods)
{
    ReadTable table;
    QXmlStreamReader xml(fods);
    QStringList names;
    QList<Read> row;
    int rowNumber = -1;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"table-row") {
            row.clear();
        } else if (xml.isStartElement() && xml.name() == u"table-cell") {
            const auto a = xml.attributes();
            const QString type = a.value(QStringLiteral("office:value-type")).toString();
            const int repeated = std::max(1, a.value(QStringLiteral("table:number-columns-repeated")).toInt());
            Read cell{type.isEmpty() ? QStringLiteral("empty") : type, {}};
            if (a.hasAttribute(QStringLiteral("table:formula")))
                cell.kind = QStringLiteral("formula");
            else if (type == u"float")
                cell = {QStringLiteral("number"), a.value(QStringLiteral("office:value")).toString()};
            else if (type == u"date")
                cell.value = a.value(QStringLiteral("office:date-value")).toString();
            else if (type == u"string")
                cell = {QStringLiteral("text"), paragraphs(xml)};
            for (int k = 0; k < repeated && row.size() < 1000; ++k)
                row.append(cell);
        } else if (xml.isEndElement() && xml.name() == u"table-row") {
            if (rowNumber < 0) {
                for (const Read& r : row)
                    names.append(r.value);
            } else {
                for (qsizetype c = 0; c < names.size(); ++c)
                    table[{rowNumber, names[c]}] = row.value(c, {QStringLiteral("empty"), {}});
            }
            ++rowNumber;
        }
    }
    return table;
}

// LibreOffice Calc, as a Norwegian clinic's opens the file: in Bokmål, with every special
// number (dates too) recognised, and formulas run; saved as a flat spreadsheet to read back.
ReadTable readWithCalc(const QString& csv, const QString& home, QString* error)
{
    const QString outDir = home + QStringLiteral("/calc");
    const auto out = runReader(QStringLiteral("soffice"),
                               {QStringLiteral("-env:UserInstallation=file://") + home + QStringLiteral("/profile"),
                                QStringLiteral("--headless"), QStringLiteral("--infilter=CSV:44,34,76,1,,1044,false,true"),
                                QStringLiteral("--convert-to"), QStringLiteral("fods"), QStringLiteral("--outdir"), outDir, csv},
                               readerEnvironment(home, QStringLiteral("nb_NO.UTF-8")), error);
    if (!out)
        return {};
    const QByteArray fods = contentsOf(outDir + u'/' + QFileInfo(csv).completeBaseName() + QStringLiteral(".fods"));
    if (fods.isEmpty())
        *error = QStringLiteral("soffice wrote no spreadsheet: ") + QString::fromUtf8(*out);
    return readFods(fods);
}

// Whether a cell of a column of this kind was read as what it is.
bool readAsItsKind(ExportColumnKind kind, const Read& cell)
{
    if (cell.kind == u"empty")
        return true; // not entered, and checked by value where it matters
    switch (kind) {
    case ExportColumnKind::Text:
    case ExportColumnKind::Sex:
    case ExportColumnKind::Handedness: return cell.kind == u"text";
    case ExportColumnKind::Date:
        return cell.kind == u"date"
               || (cell.kind == u"text" && QRegularExpression(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$")).match(cell.value).hasMatch());
    default: return cell.kind == u"number";
    }
}

} // namespace

TEST_F(ResearchExport, PandasRAndNorwegianCalcReadEveryColumnAsWhatItIs)
{
    const QString csv = out.filePath(QStringLiteral("forskning.csv"));
    ASSERT_EQ(runCli({QStringLiteral("export"), t.folder(), csv, QStringLiteral("--format"), QStringLiteral("csv")}).status, 0);
    const std::vector<ExportColumn> columns = ExportColumns(ExportFormat::Csv);
    const struct {
        const char* name;
        ReadTable (*read)(const QString&, const QString&, QString*);
    } readers[] = {{"pandas", readWithPandas}, {"R", readWithR}, {"LibreOffice Calc", readWithCalc}};
    for (const auto& reader : readers) {
        SCOPED_TRACE(reader.name);
        QTemporaryDir home;
        QString error;
        const ReadTable read = reader.read(csv, home.path(), &error);
        ASSERT_TRUE(error.isEmpty()) << str(error);
        for (int r = 0; r < int(std::size(kChildren)); ++r) {
            const Child& child = kChildren[r];
            for (const ExportColumn& c : columns) {
                const auto cell = read.find({r, c.name});
                ASSERT_NE(cell, read.end()) << child.name << ": no column " << str(c.name);
                EXPECT_TRUE(readAsItsKind(c.kind, cell->second))
                    << child.name << " " << str(c.name) << " read as " << str(cell->second.kind) << " "
                    << str(cell->second.value);
            }
            // The values as the reader holds them: texts to the letter, numbers as numbers.
            for (const auto& [column, written] : child.fields) {
                const Read& cell = read.at({r, column});
                const QString expected = unquoted(written);
                if (cell.kind == u"date")
                    EXPECT_EQ(cell.value, expected) << child.name << " " << str(column);
                else if (cell.kind == u"number")
                    EXPECT_EQ(cell.value.toDouble(), expected.toDouble()) << child.name << " " << str(column);
                else
                    EXPECT_EQ(cell.value, expected) << child.name << " " << str(column);
            }
        }
    }
}
