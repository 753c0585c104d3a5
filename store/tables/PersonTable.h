#pragma once
// The table TESTPERSON: one row per test person, keyed by its number ID.

#include "model/TestRecord.h"
#include "store/connection/BatchInsert.h"
#include "store/connection/Database.h"

#include <QByteArrayView>

#include <functional>

namespace tavlo {

// 1 when the person with this number was read into person (and only then is it changed);
// 0 after a message.
int ReadPerson(Database& db, PersonalData& person, int id);

// The last person number given out, or -1 after the driver's message.
int NextPersonId(Database& db);

// Advances the counter by count past every number in use (0: only past them) and returns
// the last number it now holds, or -1 after a message. Inside the caller's transaction the
// numbers up to it are the caller's alone. kPersonNumbersExhausted, with no message and the
// counter unchanged, when that would pass the highest number a person can have.
inline constexpr int kPersonNumbersExhausted = -2;
int ReservePersonNumbers(Database& db, int count);
// What a save says when the counter has given out the highest number.
QString PersonNumbersExhaustedText();

// An import keeps the numbers of its file only when this many new numbers still fit after
// the highest of them; otherwise its tests get new numbers, as they do when numbers are taken.
inline constexpr int kPersonNumberReserve = 1000000;

// Stores person as a new row under the next number, which it sets as person.ID. The counter
// and the row are one transaction (or part of the caller's). 1, or 0 after a message.
int DoInsertPD(Database& db, PersonalData& person);
// Inserts person as a row under its own ID (no new number). 1, or 0 after a message.
int InsertPersonWithId(Database& db, const PersonalData& person);
// The same for many persons, rowsPerStatement to a statement: insert() may only queue the
// row, and flush() writes what waits. 1, or 0 after a message.
class PersonInserter {
public:
    explicit PersonInserter(Database& db, int rowsPerStatement = 1);
    int insert(const PersonalData& person);
    int flush();

private:
    BatchInsert<PersonalData> m_rows;
};
// Writes person over the row with its ID. 1, or 0 after a message. rowsTouched, when given,
// receives how many rows the update changed.
int UpdatePerson(Database& db, const PersonalData& person, long* rowsTouched = nullptr);
int DeletePerson(Database& db, int id);

struct PersonListRow {
    int ID = 0;
    QString NAMN;
    QString TESTLEDARE;
    Date TESTDATE;
    QString OTHER;
    int SEX = 0;
    Date BORNDATE;
    QString SKOLA;
    QString NATIONALITET;
    QString HOMELANGUAGE;
};

inline constexpr int kPersonSortKeys = 10;
// The ORDER BY column of a sort key 0-9 (the archive list's column), "NAMN" for any other.
const char* PersonSortColumn(int sortKey);

// Whether the key's column holds text: such columns sort in Norwegian order with case
// ignored, which the database's own ORDER BY does not know.
bool IsTextSortKey(int sortKey);

// Runs the list query sorted by the key's column and hands each row to action; rows sorted
// by a text column come in Norwegian order, ties by ID. 1 when the list ran to its end; 0
// after a message (and no row handed on, for a text column).
int ListPersons(Database& db, int sortKey, bool descending, const std::function<void(const PersonListRow&)>& action);

// A row of the list as the store holds it: the texts as the driver's UTF-8 bytes, which hold
// only while the row is being handed on.
struct PersonListBytes {
    int ID = 0;
    QByteArrayView NAMN;
    QByteArrayView TESTLEDARE;
    Date TESTDATE;
    QByteArrayView OTHER;
    int SEX = 0;
    Date BORNDATE;
    QByteArrayView SKOLA;
    QByteArrayView NATIONALITET;
    QByteArrayView HOMELANGUAGE;
};

// ListPersons's rows in number order without a QString, read many rows to a driver call. 1
// when the list ran to its end; 0 after a message.
int ListPersonBytes(Database& db, bool descending, const std::function<void(const PersonListBytes&)>& action);
// The ID and the text of a text sort key's column of every person, in ascending number order.
int ListPersonTexts(Database& db, int sortKey, const std::function<void(int id, QByteArrayView text)>& action);

} // namespace tavlo
