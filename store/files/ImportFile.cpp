#include "store/files/ImportFile.h"

#include "store/accounts/AccessLog.h"
#include "store/connection/ConnectionString.h"

#include "store/files/InputFile.h"

#include "model/PersonText.h"
#include "scoring/EntryRules.h"
#include "store/files/ExportFile.h"
#include "store/tables/PersonTable.h"
#include "store/tables/ScoreTables.h"

#include <QDate>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <charconv>
#include <limits>
#include <optional>
#include <tuple>

namespace tavlo {

namespace {

const QString kNothingStored = QStringLiteral(" Ingenting er importert.");

ImportResult refused(const QString& why)
{
    return {ImportOutcome::Refused, true, {}, why + kNothingStored};
}

QString at(int line, const QString& field)
{
    return QStringLiteral("Linje %1, felt %2: ").arg(line).arg(field);
}

bool validUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString ignored = decoder(bytes);
    return !decoder.hasError();
}

// The fields of a line without its CR LF, each of which must end in a tab; nullopt and why
// when the line is not 188 such fields of text in the file's encoding. A tab, CR or LF byte is
// never part of a longer UTF-8 sequence, so the same split serves both encodings.
std::optional<QString> splitFields(QByteArrayView line, int lineNo, const QStringList& names, bool utf8,
                                   std::vector<QByteArrayView>& fields)
{
    fields.clear();
    const auto current = [&] { return names[std::min<qsizetype>(qsizetype(fields.size()), names.size() - 1)]; };
    qsizetype start = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const auto byte = static_cast<unsigned char>(line[i]);
        if (byte == '\t') {
            if (utf8 && !validUtf8(line.sliced(start, i - start)))
                return at(lineNo, current())
                       + QStringLiteral("feltet er ikke gyldig UTF-8, tegnsettet filen er merket med. Lagre filen "
                                        "på nytt som UTF-8.");
            fields.push_back(line.sliced(start, i - start));
            start = i + 1;
        } else if (byte == '\r' || byte == '\n') {
            return at(lineNo, current()) + QStringLiteral("feltet har et linjeskift. Bare CR LF skal avslutte en linje, etter alle de 188 feltene.");
        } else if (!utf8 && FromWindows1252(byte) == 0) {
            return at(lineNo, current())
                   + QStringLiteral("byten 0x%1 er ikke et tegn i Windows-1252, tegnsettet en eksportfil er skrevet i.")
                         .arg(QString::number(byte, 16).toUpper().rightJustified(2, u'0'));
        }
    }
    if (start < line.size())
        return at(lineNo, current()) + QStringLiteral("feltet er ikke avsluttet med en tabulator.");
    const qsizetype count = qsizetype(fields.size());
    if (count < names.size())
        return at(lineNo, names[count])
               + QStringLiteral("feltet mangler. Linjen har %1 felt, men skal ha %2.").arg(count).arg(names.size());
    if (count > names.size())
        return at(lineNo, names.last())
               + QStringLiteral("linjen fortsetter etter dette feltet. Den har %1 felt, men skal ha %2.").arg(count).arg(names.size());
    return std::nullopt;
}

std::optional<QString> checkHeader(QByteArrayView line, const QStringList& names, bool utf8)
{
    std::vector<QByteArrayView> fields;
    if (auto fault = splitFields(line, 1, names, utf8, fields))
        return QStringLiteral("Filen er ikke en eksportfil. ") + *fault;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (fields[size_t(i)] != names[i].toLatin1())
            return at(1, names[i]) + QStringLiteral("overskriften er \"%1\", men skal være \"%2\". Filen er ikke en eksportfil.")
                                         .arg(QString::fromLatin1(fields[size_t(i)]), names[i]);
    }
    return std::nullopt;
}

std::optional<int> number(QByteArrayView field)
{
    int value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.isEmpty() || error != std::errc() || end != field.data() + field.size())
        return std::nullopt;
    return value;
}

// Only what the export writes of a date the person form takes: a calendar date with a
// four-digit year in its exact shape, or nothing.
std::optional<Date> date(QByteArrayView field)
{
    if (field.isEmpty())
        return Date{};
    if (field.size() != 10 || field[4] != '-' || field[7] != '-')
        return std::nullopt;
    const auto y = number(field.first(4));
    const auto m = number(field.sliced(5, 2));
    const auto d = number(field.last(2));
    if (!y || !m || !d || *y < 1000 || !QDate(*y, *m, *d).isValid())
        return std::nullopt;
    const Date read{int16_t(*y), int16_t(*m), int16_t(*d)};
    QByteArray again;
    AppendExportDate(again, read);
    return again == field ? std::optional(read) : std::nullopt;
}

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = QChar(char16_t(FromWindows1252(static_cast<unsigned char>(bytes[i]))));
    return text;
}

// A field's text in the file's encoding (checked by splitFields).
QString fieldText(QByteArrayView bytes, bool utf8)
{
    return utf8 ? QString::fromUtf8(bytes) : fromWindows1252(bytes);
}

// The scores and cells of a line into test; whether any of them has a value.
std::optional<QString> readScores(const std::vector<QByteArrayView>& f, int lineNo, const QStringList& names, bool utf8,
                                  TestRecord& test, bool& anyValue)
{
    anyValue = false;
    const auto value = [&](int column, int& into) -> std::optional<QString> {
        const QByteArrayView field = f[size_t(column)];
        if (field.isEmpty()) {
            into = NOT_ENTERED;
            return std::nullopt;
        }
        const auto n = number(field);
        if (!n)
            return at(lineNo, names[column])
                   + QStringLiteral("\"%1\" er ikke et helt tall. Et felt uten verdi skal være tomt.").arg(fieldText(field, utf8));
        into = *n;
        anyValue = true;
        return std::nullopt;
    };
    for (const MeasureInfo& m : measures()) {
        if (auto fault = value(kExportFirstScoreColumn + m.column - 1, test.scores[m.key]))
            return fault;
    }
    for (int n = 1; n <= kGridCellCount; ++n) {
        if (auto fault = value(kExportFirstCellColumn + n - 1, test.grid.cell(n)))
            return fault;
    }
    return std::nullopt;
}

// The person of a line, checked as the person form checks what is typed; the age column is
// derived and not read.
std::optional<QString> readPerson(const std::vector<QByteArrayView>& f, int lineNo, const QStringList& names, bool utf8,
                                  PersonalData& p)
{
    const auto fault = [&](int column, const QString& why) {
        return at(lineNo, names[column]) + why.arg(fieldText(f[size_t(column)], utf8));
    };
    p = PersonalData{};
    const auto id = number(f[0]);
    if (!id || *id <= 0)
        return fault(0, QStringLiteral("\"%1\" er ikke et testpersonnummer (et helt tall over 0)."));
    p.ID = *id;
    const std::pair<int, QString*> texts[] = {
        {1, &p.NAMN},  {2, &p.ADRESS}, {3, &p.TELEFON},    {4, &p.NATIONALITET}, {5, &p.HOMELANGUAGE},
        {6, &p.SKOLA}, {7, &p.KLASS},  {8, &p.TESTAD_VID}, {9, &p.TESTLEDARE},   {15, &p.OTHER},
    };
    for (const auto& [column, text] : texts) {
        *text = NormalizedPersonText(fieldText(f[size_t(column)], utf8));
        if (const auto refusal = CheckPersonText(names[column], *text))
            return at(lineNo, names[column]) + *refusal;
    }
    if (p.NAMN.isEmpty())
        return at(lineNo, names[1]) + QStringLiteral("Testpersonens navn må fylles inn!");
    if (p.TESTLEDARE.isEmpty())
        return at(lineNo, names[9]) + QStringLiteral("Testleder må fylles inn!");
    for (const auto& [column, into, missing] :
         {std::tuple{10, &p.TESTDATE, QStringLiteral("Testdato må fylles inn!")},
          std::tuple{11, &p.BORNDATE, QStringLiteral("Fødselsdato må fylles inn!")}}) {
        const auto read = date(f[size_t(column)]);
        if (!read)
            return fault(column, QStringLiteral("\"%1\" er ikke en dato på formen ÅÅÅÅ-MM-DD."));
        if (*read == Date{})
            return at(lineNo, names[column]) + missing;
        *into = *read;
    }
    if (BornAfterTest(p.TESTDATE, p.BORNDATE))
        return at(lineNo, names[11])
               + QStringLiteral("fødselsdatoen %1 er etter testdatoen %2.").arg(fieldText(f[11], utf8), fieldText(f[10], utf8));
    // The form's letters G and J, and none, V, H, A and O.
    for (const auto& [column, into, first, last, why] :
         {std::tuple{13, &p.SEX, 1, 2, QStringLiteral("\"%1\" er ikke en kjønnskode: 1 er gutt, 2 er jente.")},
          std::tuple{14, &p.HANDEDNESS, 0, 4,
                     QStringLiteral("\"%1\" er ikke en kode for håndpreferanse: 0 er ikke oppgitt, 1 til 4 er "
                                    "V, H, A og O.")}}) {
        const auto read = number(f[size_t(column)]);
        if (!read || *read < first || *read > last)
            return fault(column, why);
        *into = *read;
    }
    return std::nullopt;
}

// One line's fields into test (person, scores, grid), each value one the entry dialogs could
// have stored at the test's age.
std::optional<QString> readTest(const std::vector<QByteArrayView>& f, int lineNo, const QStringList& names, bool utf8,
                                TestRecord& test, bool& anyValue)
{
    if (auto fault = readPerson(f, lineNo, names, utf8, test.person))
        return fault;
    if (auto fault = readScores(f, lineNo, names, utf8, test, anyValue))
        return fault;
    if (const auto refusal = CheckStoredEntries(test)) {
        const int column = refusal->measure ? kExportFirstScoreColumn + measureInfo(*refusal->measure).column - 1
                                            : kExportFirstCellColumn + refusal->cell - 1;
        return at(lineNo, names[column]) + refusal->reason;
    }
    return std::nullopt;
}

struct Lines {
    std::vector<QByteArrayView> lines;
    bool lastEnded = true; // whether the last line ends in CR LF
    bool utf8 = false;
};

Lines splitLines(QByteArrayView file)
{
    Lines result;
    qsizetype start = 0;
    while (start < file.size()) {
        const qsizetype end = file.indexOf(QByteArrayView("\r\n"), start);
        if (end < 0) {
            result.lines.push_back(file.sliced(start));
            result.lastEnded = false;
            break;
        }
        result.lines.push_back(file.sliced(start, end - start));
        start = end + 2;
    }
    return result;
}

// Every line checked before anything is stored; the numbers of the file in its order.
std::optional<QString> checkLines(const Lines& file, const QStringList& names, std::vector<int>& ids)
{
    if (auto fault = checkHeader(file.lines.front(), names, file.utf8))
        return fault;
    std::vector<QByteArrayView> fields;
    QHash<int, int> lineOfId;
    TestRecord test;
    bool anyValue = false;
    for (size_t i = 1; i < file.lines.size(); ++i) {
        const int lineNo = int(i) + 1;
        if (auto fault = splitFields(file.lines[i], lineNo, names, file.utf8, fields))
            return fault;
        if (auto fault = readTest(fields, lineNo, names, file.utf8, test, anyValue))
            return fault;
        const int id = test.person.ID;
        if (lineOfId.contains(id))
            return at(lineNo, names[0])
                   + QStringLiteral("testperson nummer %1 står også på linje %2.").arg(id).arg(lineOfId.value(id));
        lineOfId.insert(id, lineNo);
        ids.push_back(id);
    }
    if (!file.lastEnded)
        return at(int(file.lines.size()), names.last())
               + QStringLiteral("linjen slutter ikke med CR LF. Filen kan være avkortet.");
    return std::nullopt;
}

// Whether a number of the file was given out in db already, or is held by a score row
// another tool left; last is the counter after passing every stored person.
std::optional<bool> anyInUse(Database& db, const std::vector<int>& ids, int last)
{
    if (*std::min_element(ids.begin(), ids.end()) <= last)
        return true;
    Statement s(db);
    if (!s.execDirect(QStringLiteral("SELECT PERSONALDATA_ID FROM TESTDATA_TAVLO WHERE PERSONALDATA_ID > %1 "
                                     "UNION SELECT MF_ID FROM TESTDATA_TAVLO_MF WHERE MF_ID > %1")
                          .arg(last))) {
        s.report();
        return std::nullopt;
    }
    const QSet<int> wanted(ids.begin(), ids.end());
    for (Fetch fetched = s.fetch(); fetched != Fetch::NoData; fetched = s.fetch()) {
        if (fetched == Fetch::Error) {
            s.report();
            return std::nullopt;
        }
        if (wanted.contains(s.getInt(1).value_or(0)))
            return true;
    }
    return false;
}

// Tests written to one statement by a fast import. A failed one says only that one of its
// rows failed: the import is then run again row by row, to name the line and its reason.
// A server answers each statement in a round trip of its own, and there a statement's rows
// go as one parameter (BatchInsert): many more to a statement.
constexpr int kRowsPerStatement = 32;
constexpr int kRowsPerServerStatement = 1000;

// The connection the import writes through. On a server one of its own, whose driver rolls
// the whole transaction back when a statement fails (psqlODBC's rollback level 1): at its
// default level it brackets every statement of a transaction in a savepoint of its own, one
// more round trip each, so that the transaction could go on after a failure, and the
// import never goes on. Inside the caller's transaction (which decides for the import), on a
// file, or when no second connection can be had, the caller's own.
class ImportConnection {
public:
    explicit ImportConnection(Database& db)
        : m_db(&db)
    {
        if (db.inTransaction() || !NamesServer(db.connectionString()))
            return;
        const KeptFailures quiet(m_own);
        if (m_own.connectWith(WithConnectionPair(db.connectionString(), QStringLiteral("Protocol=7.4-1")), false))
            m_db = &m_own;
    }
    Database& db() { return *m_db; }
    int rowsPerStatement() const
    {
        return NamesServer(m_db->connectionString()) ? kRowsPerServerStatement : kRowsPerStatement;
    }

private:
    Database m_own;
    Database* m_db;
};

// rowsPerStatement 1 writes each test before reading the next. writeFailed, when given, says
// whether a write of rows failed (not the transaction or the numbers around them).
ImportResult storeLines(Database& db, const Lines& file, const QStringList& names, const std::vector<int>& ids,
                        int rowsPerStatement, bool* writeFailed = nullptr)
{
    const KeptFailures kept(db);
    const auto failed = [&kept](const QString& what) {
        return ImportResult{ImportOutcome::Failed, true, {}, what + kept.texts() + kNothingStored};
    };
    Transaction transaction(db);
    if (!transaction.started()) {
        db.DbReportError();
        return failed(QStringLiteral("Databasen kan ikke ta imot testene: "));
    }
    // Writing the counter first makes the numbers this run's alone until it ends: a save
    // by another program waits for it.
    const auto noNumbers = [&] {
        return failed(QStringLiteral("Databasen har ikke %1 ledige testpersonnumre igjen; det høyeste et "
                                     "testpersonnummer kan ha, er %2. Flytt testene til en ny database.")
                          .arg(ids.size())
                          .arg(std::numeric_limits<int>::max()));
    };
    const int last = ReservePersonNumbers(db, 0);
    if (last == kPersonNumbersExhausted)
        return noNumbers();
    const std::optional<bool> inUse = last < 0 ? std::nullopt : anyInUse(db, ids, last);
    if (!inUse)
        return failed(QStringLiteral("Testpersonnumrene i databasen kan ikke leses: "));
    // The file's numbers only where the counter, passing them, could go on giving numbers.
    const int highest = *std::max_element(ids.begin(), ids.end());
    const bool renumber = *inUse || highest > std::numeric_limits<int>::max() - kPersonNumberReserve;
    ImportResult result;
    result.numbersKept = !renumber;
    int next = 0;
    if (renumber) {
        const int reserved = ReservePersonNumbers(db, int(ids.size()));
        if (reserved == kPersonNumbersExhausted)
            return noNumbers();
        if (reserved < 0)
            return failed(QStringLiteral("Nye testpersonnumre kan ikke gis: "));
        next = reserved - int(ids.size()) + 1;
    }
    std::vector<QByteArrayView> fields;
    TestRecord test;
    bool anyValue = false;
    PersonInserter persons(db, rowsPerStatement);
    ScoreInserter scores(db, rowsPerStatement);
    AccessLogBatch log(db, rowsPerStatement);
    const auto writeFailure = [&](const QString& what) {
        if (writeFailed)
            *writeFailed = true;
        return failed(what);
    };
    for (size_t i = 1; i < file.lines.size(); ++i) {
        splitFields(file.lines[i], int(i) + 1, names, file.utf8, fields);
        readTest(fields, int(i) + 1, names, file.utf8, test, anyValue);
        const int old = test.person.ID;
        if (renumber)
            test.person.ID = next++;
        if (!persons.insert(test.person) || (anyValue && !scores.insert(test))
            || !log.log(AccessEvent::Imported, test.person.ID, QStringLiteral("nummer %1 i filen").arg(old)))
            return writeFailure(QStringLiteral("Linje %1 (testperson nummer %2) kan ikke lagres: ").arg(i + 1).arg(old));
        result.numbers.emplace_back(old, test.person.ID);
    }
    if (!persons.flush() || !scores.flush() || !log.finish())
        return writeFailure(QStringLiteral("Testene kan ikke lagres: "));
    if ((result.numbersKept && ReservePersonNumbers(db, 0) < 0) || !transaction.commit())
        return failed(QStringLiteral("Testene kan ikke lagres: "));
    return result;
}

} // namespace

ImportResult ImportTests(Database& db, QByteArrayView file, ImportEncoding encoding)
{
    const QByteArrayView mark("\xEF\xBB\xBF");
    const bool marked = file.startsWith(mark);
    if (marked)
        file = file.sliced(mark.size());
    if (file.isEmpty())
        return refused(QStringLiteral("Filen er tom; en eksportfil har minst overskriftslinjen."));
    const QStringList names = ExportColumnNames();
    Lines lines = splitLines(file);
    lines.utf8 = marked || encoding == ImportEncoding::Utf8;
    std::vector<int> ids;
    if (auto fault = checkLines(lines, names, ids))
        return refused(*fault);
    if (ids.empty())
        return {};
    ImportConnection connection(db);
    bool writeFailed = false;
    ImportResult result = storeLines(connection.db(), lines, names, ids, connection.rowsPerStatement(), &writeFailed);
    // Nothing of the failed run stands (one transaction): the second run starts afresh.
    if (writeFailed)
        result = storeLines(connection.db(), lines, names, ids, 1);
    return result;
}

ImportResult ImportExportFile(Database& db, const QString& path, ImportEncoding encoding)
{
    QString error;
    const auto bytes = ReadInputFile(path, kImportFileLimit, &error);
    if (!bytes)
        return {ImportOutcome::Failed, true, {}, error};
    return ImportTests(db, *bytes, encoding);
}

} // namespace tavlo
