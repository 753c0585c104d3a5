#pragma once
// One examiner's session and the jobs every front end runs on it: the program's windows and
// tavlo-ii-cli call these, and nothing below them, so that a job is written once.

#include "model/TestRecord.h"
#include "scoring/NormGroups.h"
#include "store/connection/Database.h"

#include <QString>

#include <optional>

namespace tavlo {

struct Session {
    Database db;
    TestRecord test;
    NormState norms;
    // A new test is inserted when stored; a stored test being changed is updated.
    bool testIsNew = true;
    QString databaseFolder; // ends with a separator
    // The database file when this user cannot write it (found after the login); else empty.
    QString readOnlyDatabase;
};

// Scores the session's test as the results show it: the age group from the test age, then
// the scoring run. Its messages go to the sink.
void ScoreCurrentTest(Session& session);

// Reads test id (the person and both score rows as one version, logged as shown) into the
// session and scores it. false when it could not be read (its message was shown).
bool ReadAndScore(Session& session, int id);

// Logs that the session's test left the program on paper or as a file (where: the printer,
// or the file as the log names it). false after the message: the print is then not to go out.
bool RecordPrint(Session& session, const QString& where);

} // namespace tavlo
