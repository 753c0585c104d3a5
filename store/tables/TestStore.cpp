#include "store/tables/TestStore.h"

#include "store/accounts/AccessLog.h"
#include "store/connection/DatabaseFailure.h"
#include "store/tables/PersonTable.h"
#include "store/tables/ScoreTables.h"
#include "vandrel/MessageSink.h"

namespace tavlo {

namespace {

bool saveNew(Database& db, TestRecord& test)
{
    return DoInsertPD(db, test.person) && InsertTestData(db, test) && InsertTestDataMF(db, test)
        && LogAccess(db, AccessEvent::NewTest, test.person.ID);
}

bool saveChanged(Database& db, TestRecord& test)
{
    long touched = 0;
    if (!UpdatePerson(db, test.person, &touched))
        return false;
    // Another program may have removed the person meanwhile; its number is never given out
    // again, so writing the row back under it is safe.
    if (touched == 0 && !InsertPersonWithId(db, test.person))
        return false;
    if (!UpdateTestData(db, test, &touched) || (touched == 0 && !InsertTestData(db, test)))
        return false;
    return UpdateTestDataMF(db, test, &touched) && (touched != 0 || InsertTestDataMF(db, test))
        && LogAccess(db, AccessEvent::Changed, test.person.ID);
}

} // namespace

bool SaveTest(Database& db, TestRecord& test, bool isNew)
{
    const int idBefore = test.person.ID;
    Transaction transaction(db);
    if (!transaction.started()) {
        db.DbReportError();
        return false;
    }
    if ((isNew ? saveNew(db, test) : saveChanged(db, test)) && transaction.commit())
        return true;
    transaction.rollback();
    test.person.ID = idBefore;
    return false;
}

int ReadTest(Database& db, TestRecord& test, int id)
{
    // A person stored without score rows must not show the scores of the test read before.
    ClearScores(test);
    // One snapshot for the three rows, so that a save by another program meanwhile is seen
    // whole or not at all (SQLite keeps its shared lock from the first SELECT to the end).
    Transaction snapshot(db, Transaction::Kind::Snapshot);
    const int read = ReadPerson(db, test.person, id) && ReadTestData(db, test) && ReadTestDataMF(db, test) ? 1 : 0;
    // Nothing was written: ending it without a commit cannot fail and keeps nothing.
    snapshot.rollback();
    return read;
}

int OpenTest(Database& db, TestRecord& test, int id)
{
    TestRecord read = test;
    if (!ReadTest(db, read, id) || !LogAccess(db, AccessEvent::Shown, id))
        return 0;
    test = std::move(read);
    return 1;
}

bool DeleteTest(Database& db, int id)
{
    Transaction transaction(db);
    if (!transaction.started()) {
        db.DbReportError();
        return false;
    }
    return DeletePerson(db, id) && DeleteTestData(db, id) && DeleteTestDataMF(db, id)
        && LogAccess(db, AccessEvent::Deleted, id) && transaction.commit();
}

} // namespace tavlo
