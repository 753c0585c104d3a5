#include "store/tables/PersonTable.h"

#include "model/PersonText.h"
#include "store/connection/RowBlocks.h"
#include "store/tables/PersonList.h"
#include "vandrel/MessageSink.h"

#include <algorithm>
#include <array>
#include <limits>

namespace tavlo {

namespace {

// Binds the columns after ID, in the order both the INSERT and the UPDATE name them.
bool bindPersonValues(Statement& s, const PersonalData& p, int first)
{
    int n = first;
    return s.bindText(n++, p.NAMN) && s.bindText(n++, p.ADRESS) && s.bindText(n++, p.TELEFON)
           && s.bindText(n++, p.NATIONALITET) && s.bindText(n++, p.HOMELANGUAGE) && s.bindText(n++, p.SKOLA)
           && s.bindText(n++, p.TESTAD_VID) && s.bindText(n++, p.TESTLEDARE) && s.bindInt(n++, p.SEX)
           && s.bindInt(n++, p.AGE) && s.bindDate(n++, p.TESTDATE) && s.bindDate(n++, p.BORNDATE)
           && s.bindInt(n++, p.HANDEDNESS) && s.bindText(n++, p.KLASS) && s.bindText(n++, p.OTHER);
}

bool refuseUnstorableTexts(Database& db, const PersonalData& person)
{
    if (const auto refusal = CheckPersonTexts(person)) {
        db.tellUser(*refusal, MessageIcon::Exclamation);
        return true;
    }
    return false;
}

} // namespace

int ReadPerson(Database& db, PersonalData& person, int id)
{
    Statement s(db);
    if (!s.execDirect(QString::asprintf("SELECT ID, NAMN, ADRESS, TELEFON, NATIONALITET, HOMELANGUAGE, SKOLA, TESTAD_VID, TESTLEDARE, SEX, AGE, TESTDATE, BORNDATE, HANDEDNESS, KLASS, OTHER FROM TESTPERSON WHERE ID =%d",
                                        id)))
        return s.report();
    const Fetch fetched = s.fetch();
    if (fetched == Fetch::NoData) {
        db.tellUser(QStringLiteral("Testperson nummer %1 finnes ikke i databasen.").arg(id), MessageIcon::Stop);
        return 0;
    }
    if (fetched == Fetch::Error)
        return s.report();

    PersonalData read;
    bool ok = true;
    const auto text = [&](int column) {
        bool columnOk = false;
        QString value = s.getText(column, &columnOk);
        ok = ok && columnOk;
        return value;
    };
    const auto integer = [&](int column) {
        bool columnOk = false;
        const auto value = s.getInt(column, &columnOk);
        ok = ok && columnOk;
        return value.value_or(0);
    };
    const auto date = [&](int column) {
        bool columnOk = false;
        const Date value = s.getDate(column, &columnOk);
        ok = ok && columnOk;
        return value;
    };
    read.ID = integer(1);
    read.NAMN = text(2);
    read.ADRESS = text(3);
    read.TELEFON = text(4);
    read.NATIONALITET = text(5);
    read.HOMELANGUAGE = text(6);
    read.SKOLA = text(7);
    read.TESTAD_VID = text(8);
    read.TESTLEDARE = text(9);
    read.SEX = integer(10);
    read.AGE = integer(11);
    read.TESTDATE = date(12);
    read.BORNDATE = date(13);
    read.HANDEDNESS = integer(14);
    read.KLASS = text(15);
    read.OTHER = text(16);
    if (!ok)
        return s.report();
    person = read;
    return 1;
}

int NextPersonId(Database& db)
{
    Statement s(db);
    if (!s.execDirect(QStringLiteral("SELECT LAST_ID FROM TESTPERSON_COUNTER")))
        return s.report(), -1;
    const Fetch fetched = s.fetch();
    if (fetched == Fetch::Error)
        return s.report(), -1;
    bool ok = false;
    const auto value = fetched == Fetch::Row ? s.getInt(1, &ok) : std::nullopt;
    if (!value) {
        db.tellUser(QStringLiteral("Telleren for testpersonnummer mangler i databasen."), MessageIcon::Stop);
        return -1;
    }
    return *value;
}

int ReservePersonNumbers(Database& db, int count)
{
    // The first statement takes the counter row's lock, held to the commit; only then are the
    // counter and the highest number read, by a statement of their own, so that a server at
    // read committed counts the numbers other programs stored while this one waited.
    Statement take(db);
    if (!take.execDirect(QStringLiteral("UPDATE TESTPERSON_COUNTER SET LAST_ID = LAST_ID")))
        return take.report(), -1;
    if (take.rowCount() == 0) {
        db.tellUser(QStringLiteral("Telleren for testpersonnummer mangler i databasen."), MessageIcon::Stop);
        return -1;
    }
    Statement read(db);
    if (!read.execDirect(QStringLiteral("SELECT LAST_ID, (SELECT COALESCE(MAX(ID), 0) FROM TESTPERSON) FROM TESTPERSON_COUNTER")))
        return read.report(), -1;
    if (read.fetch() != Fetch::Row)
        return read.report(), -1;
    // As text: a counter another tool pushed past 32 bits reads whole (SQLite counts in 64).
    bool lastRead = false;
    bool highestRead = false;
    const qint64 last = read.getText(1).toLongLong(&lastRead);
    const qint64 highest = read.getText(2).toLongLong(&highestRead);
    if (!lastRead || !highestRead)
        return read.report(), -1;
    const qint64 reserved = std::max(last, highest) + count;
    if (reserved > std::numeric_limits<int>::max())
        return kPersonNumbersExhausted;
    if (reserved != last) {
        Statement advance(db);
        if (!advance.execDirect(QStringLiteral("UPDATE TESTPERSON_COUNTER SET LAST_ID = %1").arg(reserved)))
            return advance.report(), -1;
    }
    return int(reserved);
}

QString PersonNumbersExhaustedText()
{
    return QStringLiteral("Testen er ikke lagret: databasen har gitt ut testpersonnummer %1, det høyeste et "
                          "testpersonnummer kan ha, og har ingen flere. Det som er skrevet inn, står fortsatt i "
                          "vinduet. Kontakt den som har ansvar for databasen; tester kan flyttes til en ny database "
                          "med eksport og import, og får da nye numre.")
        .arg(std::numeric_limits<int>::max());
}

PersonInserter::PersonInserter(Database& db, int rowsPerStatement)
    : m_rows(db,
             QStringLiteral("INSERT INTO TESTPERSON (ID, NAMN, ADRESS, TELEFON, NATIONALITET, HOMELANGUAGE,  SKOLA, TESTAD_VID, TESTLEDARE, SEX, AGE, TESTDATE, BORNDATE, HANDEDNESS, KLASS, OTHER)  VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
             rowsPerStatement,
             [](Statement& s, const PersonalData& person, int first) {
                 return s.bindInt(first, person.ID) && bindPersonValues(s, person, first + 1);
             })
{
}

int PersonInserter::insert(const PersonalData& person)
{
    return m_rows.add(person) ? 1 : m_rows.report();
}

int PersonInserter::flush()
{
    return m_rows.flush() ? 1 : m_rows.report();
}

int InsertPersonWithId(Database& db, const PersonalData& person)
{
    return PersonInserter(db).insert(person);
}

int DoInsertPD(Database& db, PersonalData& person)
{
    if (refuseUnstorableTexts(db, person))
        return 0;
    Transaction transaction(db);
    // Outside a transaction the number read back after the advance could be another program's.
    const int id = transaction.started() ? ReservePersonNumbers(db, 1) : (db.DbReportError(), -1);
    if (id == kPersonNumbersExhausted) {
        db.tellUser(PersonNumbersExhaustedText(), MessageIcon::Stop);
        return 0;
    }
    if (id < 0) {
        db.tellUser(QStringLiteral("Error in DoInsertPD. DoReadUpdateNameID failed"), MessageIcon::Stop);
        return 0;
    }
    PersonalData numbered = person;
    numbered.ID = id;
    if (!InsertPersonWithId(db, numbered) || !transaction.commit())
        return 0;
    person.ID = id;
    return 1;
}

int UpdatePerson(Database& db, const PersonalData& person, long* rowsTouched)
{
    if (refuseUnstorableTexts(db, person))
        return 0;
    Statement s(db);
    if (!s.prepare(QString::asprintf("UPDATE TESTPERSON SET NAMN=?, ADRESS=?, TELEFON=?, NATIONALITET=?, HOMELANGUAGE=?, SKOLA=?, TESTAD_VID=?, TESTLEDARE=?, SEX=?, AGE=?, TESTDATE=?, BORNDATE=?, HANDEDNESS=?, KLASS=?, OTHER=? WHERE ID=%d",
                                     person.ID))
        || !bindPersonValues(s, person, 1) || !s.execute())
        return s.report();
    if (rowsTouched)
        *rowsTouched = s.rowCount();
    return 1;
}

int DeletePerson(Database& db, int id)
{
    Statement s(db);
    if (!s.execDirect(QString::asprintf("DELETE FROM TESTPERSON WHERE ID = %d", id)))
        return s.report();
    return 1;
}

const char* PersonSortColumn(int sortKey)
{
    static const char* const columns[kPersonSortKeys] = {"NAMN", "TESTLEDARE", "TESTDATE",     "OTHER",        "SEX",
                                                         "BORNDATE", "SKOLA", "NATIONALITET", "HOMELANGUAGE", "ID"};
    return sortKey >= 0 && sortKey < kPersonSortKeys ? columns[sortKey] : columns[0];
}

bool IsTextSortKey(int sortKey)
{
    const QLatin1String column(PersonSortColumn(sortKey));
    return column != u"TESTDATE" && column != u"SEX" && column != u"BORNDATE" && column != u"ID";
}

namespace {

// Rows per driver call, and the bytes a text may have before it is read again on its own
// (a stored text has at most 49 characters, 147 bytes; other tools may store more).
constexpr int kRowsPerBlock = 64;
constexpr int kTextBytes = 255;

// The list's rows, a block at a time: the ID and the columns of some sort keys, in the order
// of the database's ORDER BY of another.
class PersonBlocks {
public:
    PersonBlocks(Database& db, std::initializer_list<int> keys, int orderKey, bool descending)
        : m_db(db), m_statement(db), m_blocks(m_statement, kRowsPerBlock)
    {
        m_id = m_blocks.bindInt(1);
        bool bound = m_id >= 0;
        QString columns = QStringLiteral("ID");
        int column = 1;
        for (const int key : keys) {
            columns += QStringLiteral(", ") + QLatin1String(PersonSortColumn(key));
            ++column;
            const int place = key == 2 || key == 5 ? m_blocks.bindDate(column)
                              : key == 4           ? m_blocks.bindInt(column)
                                                   : m_blocks.bindText(column, kTextBytes);
            m_place[size_t(key)] = place;
            bound = bound && place >= 0;
        }
        m_ran = bound
                && m_statement.execDirect(QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM TESTPERSON ORDER BY ")
                                          + QLatin1String(PersonSortColumn(orderKey))
                                          + (descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC")));
    }

    // 1 after the last row, 0 after a message; row gets each row's index in the block.
    int read(const std::function<bool(int row)>& each)
    {
        if (!m_ran)
            return m_statement.report();
        for (;;) {
            const Fetch fetched = m_blocks.fetch();
            if (fetched == Fetch::NoData)
                break;
            if (fetched == Fetch::Error)
                return m_statement.report();
            for (int row = 0; row < m_blocks.rows(); ++row) {
                if (!each(row))
                    return 0;
            }
        }
        m_statement.closeCursor();
        return 1;
    }

    int id(int row) const { return m_blocks.intAt(m_id, row); }
    int number(int key, int row) const { return m_blocks.intAt(m_place[size_t(key)], row); }
    Date date(int key, int row) const { return m_blocks.dateAt(m_place[size_t(key)], row); }
    // nullopt after a message. A text longer than its buffer is read again, whole.
    std::optional<QByteArrayView> text(int key, int row)
    {
        bool cut = false;
        const QByteArrayView bytes = m_blocks.textAt(m_place[size_t(key)], row, &cut);
        if (!cut)
            return bytes;
        Statement whole(m_db);
        if (!whole.execDirect(QStringLiteral("SELECT %1 FROM TESTPERSON WHERE ID = %2")
                                  .arg(QLatin1String(PersonSortColumn(key)))
                                  .arg(id(row))))
            return whole.report(), std::nullopt;
        const Fetch fetched = whole.fetch();
        if (fetched == Fetch::Error)
            return whole.report(), std::nullopt;
        // Gone meanwhile (a server reads each statement at its own moment): as far as read.
        if (fetched == Fetch::NoData)
            return bytes;
        bool ok = false;
        QByteArray& kept = m_whole[size_t(key)];
        kept = whole.getBytes(1, &ok);
        if (!ok)
            return whole.report(), std::nullopt;
        return QByteArrayView(kept);
    }

private:
    Database& m_db;
    Statement m_statement;
    RowBlocks m_blocks;
    int m_id = -1;
    std::array<int, kPersonSortKeys> m_place{};
    std::array<QByteArray, kPersonSortKeys> m_whole;
    bool m_ran = false;
};

int listRows(Database& db, int orderKey, bool descending, const std::function<void(const PersonListBytes&)>& action)
{
    PersonBlocks blocks(db, {0, 1, 2, 3, 4, 5, 6, 7, 8}, orderKey, descending);
    PersonListBytes row;
    return blocks.read([&](int r) {
        const auto text = [&](int key, QByteArrayView& to) {
            const auto bytes = blocks.text(key, r);
            to = bytes.value_or(QByteArrayView());
            return bytes.has_value();
        };
        row.ID = blocks.id(r);
        row.TESTDATE = blocks.date(2, r);
        row.SEX = blocks.number(4, r);
        row.BORNDATE = blocks.date(5, r);
        if (!text(0, row.NAMN) || !text(1, row.TESTLEDARE) || !text(3, row.OTHER) || !text(6, row.SKOLA)
            || !text(7, row.NATIONALITET) || !text(8, row.HOMELANGUAGE))
            return false;
        action(row);
        return true;
    });
}

int fetchPersons(Database& db, int sortKey, bool descending, const std::function<void(const PersonListRow&)>& action)
{
    return listRows(db, sortKey, descending, [&](const PersonListBytes& read) {
        PersonListRow row;
        row.ID = read.ID;
        row.NAMN = QString::fromUtf8(read.NAMN);
        row.TESTLEDARE = QString::fromUtf8(read.TESTLEDARE);
        row.TESTDATE = read.TESTDATE;
        row.OTHER = QString::fromUtf8(read.OTHER);
        row.SEX = read.SEX;
        row.BORNDATE = read.BORNDATE;
        row.SKOLA = QString::fromUtf8(read.SKOLA);
        row.NATIONALITET = QString::fromUtf8(read.NATIONALITET);
        row.HOMELANGUAGE = QString::fromUtf8(read.HOMELANGUAGE);
        action(row);
    });
}

} // namespace

int ListPersonBytes(Database& db, bool descending, const std::function<void(const PersonListBytes&)>& action)
{
    return listRows(db, kPersonSortKeys - 1, descending, action);
}

int ListPersonTexts(Database& db, int sortKey, const std::function<void(int id, QByteArrayView text)>& action)
{
    PersonBlocks blocks(db, {sortKey}, kPersonSortKeys - 1, false);
    return blocks.read([&](int r) {
        const auto text = blocks.text(sortKey, r);
        if (!text)
            return false;
        action(blocks.id(r), *text);
        return true;
    });
}

int ListPersons(Database& db, int sortKey, bool descending, const std::function<void(const PersonListRow&)>& action)
{
    if (!IsTextSortKey(sortKey))
        return fetchPersons(db, sortKey, descending, action);
    // The database folds ASCII only and orders by code point ("Åse" before "Ærlig").
    std::vector<PersonListRow> rows;
    if (!fetchPersons(db, sortKey, descending, [&rows](const PersonListRow& row) { rows.push_back(row); }))
        return 0;
    const PersonList list(std::move(rows));
    for (const int i : list.sorted(sortKey, descending))
        action(list.row(i));
    return 1;
}

} // namespace tavlo
