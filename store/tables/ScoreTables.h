#pragma once
// The tables TESTDATA_TAVLO (the 60 measures) and TESTDATA_TAVLO_MF (the 112 grid cells),
// one row each per test person, keyed by the person's ID.

#include "model/TestRecord.h"
#include "store/connection/BatchInsert.h"
#include "store/connection/Database.h"

namespace tavlo {

// Reads return 1 when the row was read, 9 when the person has none (the record is left as
// it was, without a message), 0 after a message.
int ReadTestData(Database& db, TestRecord& test);
int ReadTestDataMF(Database& db, TestRecord& test);

// Writes return 1, or 0 after a message. An update that matches no row is a success;
// rowsTouched, when given, says how many rows it changed.
int InsertTestData(Database& db, const TestRecord& test);
int InsertTestDataMF(Database& db, const TestRecord& test);
// Both rows of many tests, rowsPerStatement to a statement: insert() may only queue the
// rows, and flush() writes what waits. 1, or 0 after a message.
class ScoreInserter {
public:
    explicit ScoreInserter(Database& db, int rowsPerStatement = 1);
    int insert(const TestRecord& test);
    int flush();

private:
    BatchInsert<TestRecord> m_measures;
    BatchInsert<TestRecord> m_grid;
};
int UpdateTestData(Database& db, const TestRecord& test, long* rowsTouched = nullptr);
int UpdateTestDataMF(Database& db, const TestRecord& test, long* rowsTouched = nullptr);
int DeleteTestData(Database& db, int id);
int DeleteTestDataMF(Database& db, int id);

} // namespace tavlo
