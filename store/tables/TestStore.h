#pragma once
// A whole test: the person row and its two score rows, saved, read and deleted together.

#include "model/TestRecord.h"
#include "store/connection/Database.h"

namespace tavlo {

// Saves the current test as one transaction. A new test gets the next person number and
// three new rows; a changed test has its rows rewritten (a row that has gone missing is
// written anew, so nothing typed is lost). true on success; false after the driver's
// message, with nothing of the test stored and the record's ID as it was.
bool SaveTest(Database& db, TestRecord& test, bool isNew);

// Clears the scores, then reads the person and both score rows into the record, each step
// only after the one before succeeded: 1 when all three answered, else 0 (after a message).
int ReadTest(Database& db, TestRecord& test, int id);

// ReadTest for showing the test: the access is logged only once the test has been read, and
// test changes only when both succeeded. 1, else 0 after a message.
int OpenTest(Database& db, TestRecord& test, int id);

// Removes the person's three rows in one transaction; true, or false after the message.
bool DeleteTest(Database& db, int id);

} // namespace tavlo
