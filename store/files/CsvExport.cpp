// The research file: what statistics programs and spreadsheets read without cleaning.
#include "store/files/ExportFile.h"

#include "model/PersonText.h"

#include <QIODevice>

#include <optional>

namespace tavlo {

namespace {

// Where the text-based writer would leave the field empty, so does this one.
QString csvNumber(int value)
{
    return value == NOT_ENTERED ? QString() : QString::number(value);
}

bool hasAge(const PersonalData& p)
{
    return p.TESTDATE != Date{} && p.BORNDATE != Date{};
}

QString isoDate(const Date& date)
{
    QByteArray field;
    AppendExportDate(field, date);
    return QString::fromLatin1(field);
}

QString ageField(const TestRecord& test, ExportColumnKind kind)
{
    if (!hasAge(test.person))
        return {};
    const TestAge age = test.testAge();
    switch (kind) {
    case ExportColumnKind::AgeYears: return QString::number(age.years);
    case ExportColumnKind::AgeMonths: return QString::number(age.months);
    case ExportColumnKind::AgeDays: return QString::number(age.days);
    default: return QString::number(age.years * 12 + age.months);
    }
}

QString field(const TestRecord& test, const ExportColumn& c)
{
    const PersonalData& p = test.person;
    switch (c.kind) {
    case ExportColumnKind::PersonNumber: return QString::number(p.ID);
    case ExportColumnKind::Text: return CsvTextField(p.*c.text);
    case ExportColumnKind::Date: return isoDate(p.*c.date);
    case ExportColumnKind::Age: return {}; // the text file's alone
    case ExportColumnKind::AgeYears:
    case ExportColumnKind::AgeMonths:
    case ExportColumnKind::AgeDays:
    case ExportColumnKind::AgeTotalMonths: return ageField(test, c.kind);
    case ExportColumnKind::Sex: return SexWord(p.SEX);
    case ExportColumnKind::Handedness: return HandednessWord(p.HANDEDNESS);
    case ExportColumnKind::RawScore: return csvNumber(test.scores[c.measure]);
    case ExportColumnKind::GridCell: return csvNumber(test.grid.cell(c.cell));
    }
    return {};
}

QByteArray csvLine(const QStringList& fields)
{
    return fields.join(u',').toUtf8() + "\r\n";
}

} // namespace

QString CsvTextField(const QString& text)
{
    QString value = text;
    // A spreadsheet runs such a cell; after an apostrophe it is text, and the apostrophe
    // tells the reader that something was put in front.
    if (BeginsLikeFormula(value) || value.startsWith(u'\t') || value.startsWith(u'\r'))
        value.prepend(u'\'');
    if (!value.contains(u',') && !value.contains(u'"') && !value.contains(u'\r') && !value.contains(u'\n'))
        return value;
    value.replace(u'"', QStringLiteral("\"\""));
    return u'"' + value + u'"';
}

ExportResult ExportAllCsv(Database& db, QIODevice& out, const ExportProgress& progress, int chunkSize)
{
    const std::vector<ExportColumn> columns = ExportColumns(ExportFormat::Csv);
    const auto write = [&out](const QByteArray& line) { return out.write(line) == line.size(); };
    QStringList fields;
    for (const ExportColumn& c : columns)
        fields.append(c.name);
    if (!write("\xEF\xBB\xBF" + csvLine(fields)))
        return ExportWriteFailure(out);

    int tests = 0;
    const auto stopped = ExportEveryTest(
        db,
        [&](TestRecord& test) -> std::optional<ExportResult> {
            fields.clear();
            for (const ExportColumn& c : columns)
                fields.append(field(test, c));
            if (!write(csvLine(fields)))
                return ExportWriteFailure(out);
            ++tests;
            return std::nullopt;
        },
        progress, chunkSize);
    if (stopped)
        return *stopped;
    ExportResult result;
    result.tests = tests;
    return result;
}

} // namespace tavlo
