#pragma once
// What the whole program shares: the one connection, the one current test, the norm state.

#include "model/TestRecord.h"
#include "scoring/NormGroups.h"
#include "store/Database.h"

#include <QString>

namespace tavlo {

struct AppContext {
    Database db;
    TestRecord test;
    NormState norms;
    // A new test is inserted when stored; a stored test being changed is updated.
    bool testIsNew = true;
    QString databaseFolder; // ends with a separator
    // The database file when this user cannot write it (found after the login); else empty.
    QString readOnlyDatabase;
    QString startDirectory;

    // The archive list's sort (column 0-8, 9 = person number) and the row last shown or
    // deleted; kept while the program runs. At start the newest person stands first.
    int archiveSortKey = 9;
    bool archiveDescending = true;
    int archiveLastIndex = 0;
};

} // namespace tavlo
