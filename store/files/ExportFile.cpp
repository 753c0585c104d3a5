#include "store/files/ExportFile.h"

#include "store/accounts/AccessLog.h"
#include "store/files/OutputFile.h"

#include "model/PersonText.h"
#include "resources/StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

namespace tavlo {

namespace {

void appendNumber(QByteArray& line, int value)
{
    char digits[16];
    line.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
}

void appendScore(QByteArray& line, int value)
{
    if (value != NOT_ENTERED)
        appendNumber(line, value);
}

void appendFormatted(QByteArray& line, const char* format, int a, int b, int c)
{
    char text[48];
    const int length = std::snprintf(text, sizeof text, format, a, b, c);
    line.append(text, std::clamp(length, 0, int(sizeof text) - 1));
}

void appendAge(QByteArray& line, const TestRecord& test)
{
    if (test.person.TESTDATE == Date{} || test.person.BORNDATE == Date{})
        return;
    const TestAge age = test.testAge();
    appendFormatted(line, "%d.%d.%d", age.years, age.months, age.days);
}

// Printable ASCII and Latin-1, nearly every text: in Windows-1252 each its own byte.
bool plainLatin1(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u <= 0xFF);
    });
}

bool everyCharacter(const QString& text, bool (*passes)(char32_t))
{
    if (plainLatin1(text))
        return true;
    const QList<uint> characters = text.toUcs4();
    return std::all_of(characters.begin(), characters.end(), [passes](uint c) { return passes(c); });
}

// The text in Windows-1252; false when it holds a character the code page lacks.
bool appendText(QByteArray& line, const QString& text)
{
    if (plainLatin1(text))
        line += text.toLatin1();
    else if (everyCharacter(text, IsWindows1252Char))
        line += ToWindows1252(text);
    else
        return false;
    return true;
}

// A tab or line break (possible only through other tools) would shift every later column,
// a character no person's text may hold could not be read back, and a formula would run in
// the spreadsheet that opens the file: refused, naming person and field.
std::optional<QString> unwritableText(const PersonalData& p)
{
    for (const auto& [labelId, text] : PersonTextFields(p)) {
        if (BeginsLikeFormula(*text))
            return QStringLiteral("Testperson nummer %1 kan ikke eksporteres: feltet \"%2\" begynner med \"%3\", "
                                  "som et regneark leser som starten på en formel. Rett feltet og eksporter på nytt.")
                .arg(p.ID)
                .arg(LoadString(labelId), text->front());
        for (const char32_t c : text->toUcs4()) {
            if (IsPersonTextChar(c))
                continue;
            const QString shown = !IsVisibleChar(c)
                                      ? QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0'))
                                      : QStringLiteral("\"%1\"").arg(QString::fromUcs4(&c, 1));
            return QStringLiteral("Testperson nummer %1 kan ikke eksporteres: feltet \"%2\" inneholder tegnet %3, "
                                  "som ikke kan skrives i eksportfilen. Rett feltet og eksporter på nytt.")
                .arg(p.ID)
                .arg(LoadString(labelId), shown);
        }
    }
    return std::nullopt;
}

// The labels of the fields holding a letter Windows-1252 lacks.
QStringList misfitFields(const PersonalData& p)
{
    QStringList labels;
    for (const auto& [labelId, text] : PersonTextFields(p)) {
        if (!everyCharacter(*text, IsWindows1252Char))
            labels.append(LoadString(labelId));
    }
    return labels;
}

enum class LineFit { Fits, NeedsUtf8, Refused };

// The test's line into line, its texts in the encoding.
LineFit personLine(const TestRecord& test, QByteArray& line, ExportEncoding encoding)
{
    const PersonalData& p = test.person;
    line.truncate(0);
    LineFit fit = LineFit::Fits;
    const auto text = [&](const QString& value) {
        if (BeginsLikeFormula(value) || !everyCharacter(value, IsPersonTextChar))
            fit = LineFit::Refused;
        else if (encoding == ExportEncoding::Utf8)
            line += value.toUtf8();
        else if (!appendText(line, value) && fit == LineFit::Fits)
            fit = LineFit::NeedsUtf8;
        line += '\t';
    };
    appendNumber(line, p.ID);
    line += '\t';
    for (const QString* value : {&p.NAMN, &p.ADRESS, &p.TELEFON, &p.NATIONALITET, &p.HOMELANGUAGE, &p.SKOLA,
                                 &p.KLASS, &p.TESTAD_VID, &p.TESTLEDARE})
        text(*value);
    AppendExportDate(line, p.TESTDATE);
    line += '\t';
    AppendExportDate(line, p.BORNDATE);
    line += '\t';
    appendAge(line, test);
    line += '\t';
    appendNumber(line, p.SEX);
    line += '\t';
    appendNumber(line, p.HANDEDNESS);
    line += '\t';
    text(p.OTHER);
    for (const MeasureInfo& m : measures()) {
        appendScore(line, test.scores[m.key]);
        line += '\t';
    }
    for (const int cell : test.grid.MF) {
        appendScore(line, cell);
        line += '\t';
    }
    line += "\r\n";
    return fit;
}

} // namespace

// A missing date (stored as NULL) gives an empty field rather than "0   -00-00".
void AppendExportDate(QByteArray& line, const Date& date)
{
    if (date != Date{})
        appendFormatted(line, "%-4d-%02d-%02d", date.year, date.month, date.day);
}

std::vector<ExportColumn> ExportColumns(ExportFormat format)
{
    using K = ExportColumnKind;
    const bool csv = format == ExportFormat::Csv;
    const auto text = [](const char* name, int labelId, QString PersonalData::*field) {
        return ExportColumn{QLatin1String(name), K::Text, labelId, field};
    };
    const auto date = [](const char* name, int labelId, Date PersonalData::*field) {
        return ExportColumn{QLatin1String(name), K::Date, labelId, nullptr, field};
    };
    std::vector<ExportColumn> columns = {
        {QStringLiteral("NID"), K::PersonNumber},
        text("NAMN", kStrName, &PersonalData::NAMN),
        text("ADRESS", kStrAddress, &PersonalData::ADRESS),
        text("TFN", kStrPhone, &PersonalData::TELEFON),
        text("NATION", kStrNationality, &PersonalData::NATIONALITET),
        text("HEMSPRAK", kStrFirstLanguage, &PersonalData::HOMELANGUAGE),
        text("SKOLA", 22, &PersonalData::SKOLA),
        text("KLASS", 324, &PersonalData::KLASS),
        text("TEST_VID", kStrTestedAt, &PersonalData::TESTAD_VID),
        text("TESTLED", kStrExaminer, &PersonalData::TESTLEDARE),
        date("TESTDAT", kStrTestDate, &PersonalData::TESTDATE),
        date("FODELSED", kStrBirthDate, &PersonalData::BORNDATE),
    };
    // The dotted age is read as a date by spreadsheets: the research file has it in numbers.
    if (csv) {
        columns.push_back({QStringLiteral("ALDER_AR"), K::AgeYears, kStrTestAge});
        columns.push_back({QStringLiteral("ALDER_MND"), K::AgeMonths, kStrTestAge});
        columns.push_back({QStringLiteral("ALDER_DAGER"), K::AgeDays, kStrTestAge});
        columns.push_back({QStringLiteral("ALDER_MND_TOTALT"), K::AgeTotalMonths, kStrTestAge});
    } else {
        columns.push_back({QStringLiteral("ALDER"), K::Age, kStrTestAge});
    }
    columns.push_back({csv ? QStringLiteral("KJONN") : QStringLiteral("KON_1P2F"), K::Sex, kStrSex});
    columns.push_back({csv ? QStringLiteral("HANDPREFERANSE") : QStringLiteral("HAN_1V2H"), K::Handedness, kStrHandedness});
    columns.push_back(text("OVRIGT", kStrOther, &PersonalData::OTHER));
    for (const MeasureInfo& m : measures()) {
        ExportColumn c{QLatin1String(m.code), K::RawScore, m.labelId};
        c.measure = m.key;
        if (m.key == Key::FBA)
            c.name = QStringLiteral("FB_A");
        else if (m.key == Key::FBAB)
            c.name = QStringLiteral("FB_AB");
        columns.push_back(c);
    }
    // Six 16-cell trials, then the delayed recall.
    for (int cell = 1; cell <= kGridCellCount; ++cell) {
        const int block = (cell - 1) / 16 + 1;
        const int place = (cell - 1) % 16 + 1;
        ExportColumn c{block == 7 ? QStringLiteral("MF_B_%1").arg(place) : QStringLiteral("MF%1_%2").arg(block).arg(place),
                       K::GridCell};
        c.cell = cell;
        columns.push_back(c);
    }
    return columns;
}

ExportResult ExportWriteFailure(const QIODevice& out)
{
    const QString reason = out.errorString();
    return ExportResult{ExportOutcome::WriteFailed, reason.isEmpty() ? QStringLiteral("Filen tok ikke imot dataene.") : reason};
}

QStringList ExportColumnNames(ExportFormat format)
{
    QStringList names;
    for (const ExportColumn& c : ExportColumns(format))
        names.append(c.name);
    return names;
}

std::optional<ExportResult> ExportEveryTest(Database& db,
                                            const std::function<std::optional<ExportResult>(TestRecord&)>& eachTest,
                                            const ExportProgress& progress, int chunkSize)
{
    std::optional<ExportResult> stopped;
    const BulkReadResult read = readEveryTest(
        db,
        [&](TestRecord& test) {
            stopped = eachTest(test);
            return !stopped;
        },
        [&](int written, int total) {
            if (progress && !progress(written, total))
                stopped = ExportResult{ExportOutcome::Cancelled, {}};
            return !stopped;
        },
        chunkSize);
    if (!stopped && read.outcome == BulkRead::Failed)
        stopped = ExportResult{ExportOutcome::ReadFailed, read.error};
    return stopped;
}

ExportResult ExportAll(Database& db, QIODevice& out, const ExportProgress& progress, int chunkSize,
                       ExportEncoding encoding)
{
    const auto write = [&out](const QByteArray& line) { return out.write(line) == line.size(); };

    // The mark tells editors and the import which of the two encodings they read.
    QByteArray header = encoding == ExportEncoding::Utf8 ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    for (const QString& name : ExportColumnNames())
        header += name.toLatin1() + '\t';
    if (!write(header + "\r\n"))
        return ExportWriteFailure(out);

    std::vector<ExportMisfit> misfits;
    int tests = 0;
    QByteArray line;
    line.reserve(2048);
    const auto stopped = ExportEveryTest(
        db,
        [&](TestRecord& test) -> std::optional<ExportResult> {
            switch (personLine(test, line, encoding)) {
            case LineFit::Refused:
                return ExportResult{ExportOutcome::Refused, unwritableText(test.person).value_or(QString())};
            case LineFit::NeedsUtf8:
                misfits.push_back({test.person.ID, misfitFields(test.person)});
                break;
            case LineFit::Fits:
                // Once a test does not fit, the file is no export: the rest are only looked at.
                if (!misfits.empty())
                    break;
                if (!write(line))
                    return ExportWriteFailure(out);
                ++tests;
                break;
            }
            return std::nullopt;
        },
        progress, chunkSize);
    if (stopped)
        return *stopped;
    if (!misfits.empty()) {
        ExportResult result{ExportOutcome::NeedsUtf8, MisfitsText(misfits)};
        result.misfits = std::move(misfits);
        return result;
    }
    ExportResult result;
    result.tests = tests;
    return result;
}

QString MisfitsText(const std::vector<ExportMisfit>& misfits, int limit)
{
    QString text = QStringLiteral("Eksportfilen skrives i tegnsettet Windows-1252, og disse testene har tegn som "
                                  "det ikke har:");
    const int shown = limit < 0 ? int(misfits.size()) : std::min(limit, int(misfits.size()));
    for (int i = 0; i < shown; ++i) {
        QStringList quoted;
        for (const QString& field : misfits[size_t(i)].fields)
            quoted.append(u'"' + field + u'"');
        text += QStringLiteral("\nTestperson nummer %1: %2").arg(misfits[size_t(i)].id).arg(quoted.join(QStringLiteral(", ")));
    }
    if (shown < int(misfits.size()))
        text += QStringLiteral("\n… og %1 tester til.").arg(int(misfits.size()) - shown);
    return text;
}

QString ExportWrittenText(const QString& path, int tests)
{
    return QStringLiteral("Eksporten er lagret i %1: %2 tester.")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()))
        .arg(tests);
}

ExportResult WriteExportFile(Database& db, const QString& path, const ExportProgress& progress,
                             ExportEncoding encoding, ExportFormat format)
{
    const QStringList protectedFiles = ProtectedFiles(db);
    if (auto refusal = RefuseOutputTarget(path, protectedFiles))
        return {ExportOutcome::Refused, *refusal};
    // Every child's data is in it: no more readable than the database, whatever the umask
    // (owner only for a server's database, which has no file here).
    const QString databaseFile = db.databaseFile();
    const QFileDevice::Permissions permissions =
        databaseFile.isEmpty() ? kOwnerOnly
                               : QFileInfo(databaseFile).permissions() & (kOwnerOnly | QFileDevice::ReadGroup | QFileDevice::WriteGroup);
    // Written beside the chosen file and put in place at the end: an existing file is
    // replaced only by a whole export, and a failure leaves no half file.
    OutputFile file(path, protectedFiles);
    if (auto failure = file.open(permissions))
        return {ExportOutcome::WriteFailed, *failure};
    ExportResult result = format == ExportFormat::Csv
                              ? ExportAllCsv(db, file.device(), progress)
                              : ExportAll(db, file.device(), progress, kTestsPerChunk, encoding);
    if (result.outcome != ExportOutcome::Written)
        return result; // not committed: the earlier file stays
    if (!file.device().flush())
        return {ExportOutcome::WriteFailed, CannotWriteText(path, file.device().errorString())};
    // Logged before the file is put in place: an export the log does not hold never appears.
    if (QString failure; !LogAccessQuietly(db, AccessEvent::Exported, 0, file.loggedName(), &failure))
        return {ExportOutcome::ReadFailed, failure};
    if (auto failure = file.commit())
        return {ExportOutcome::WriteFailed, *failure};
    return result;
}

std::optional<ExportNotice> ExportFailureNotice(const ExportResult& result)
{
    switch (result.outcome) {
    case ExportOutcome::Written:
    case ExportOutcome::Cancelled:
        return std::nullopt;
    case ExportOutcome::WriteFailed:
        // The program's own text, then what to do about it.
        return ExportNotice{QStringLiteral("Feil vid skrivning av fil (code 1829)")
                                + (result.message.isEmpty() ? QString() : QStringLiteral("\n\n") + result.message),
                            MessageIcon::None};
    case ExportOutcome::Refused:
    case ExportOutcome::NeedsUtf8:
        return ExportNotice{result.message, MessageIcon::Exclamation};
    case ExportOutcome::ReadFailed:
        return ExportNotice{result.message, MessageIcon::Stop};
    }
    return std::nullopt;
}

} // namespace tavlo
