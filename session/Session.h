#pragma once
// One examiner's session and the jobs every front end runs on it: the program's windows and
// tavlo-ii-cli call these, and nothing below them, so that a job is written once. A job that
// fails returns why (model/Failure.h); the front end shows it.

#include "model/Failure.h"
#include "model/TestRecord.h"
#include "report/Comparison.h"
#include "scoring/NormGroups.h"
#include "store/connection/Database.h"
#include "store/files/ExportFile.h"
#include "store/files/ImportFile.h"
#include "store/tables/ListedLines.h"
#include "store/tables/PersonList.h"

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

// Opens the database of the folder as the session's connection (OpenFolderDatabase); a
// server folder waits for the examiner's login.
Outcome OpenFolder(Session& session, const QString& folder);

// After the login: a database this user may only read is told now, not after a whole test
// has been typed (reading, printing and export still work); nullopt when it can be written.
Outcome NoteReadOnlyDatabase(Session& session);

// Scores the session's test as the results show it: the age group from the test age, then
// the scoring run. Its notes (an age outside the norm group) go to the message sink.
void ScoreCurrentTest(Session& session);

// Reads test id (the person and both score rows as one version, logged as shown) into the
// session as a stored test; the session's test is untouched when it could not be read.
Outcome ReadStoredTest(Session& session, int id);
// ReadStoredTest, then ScoreCurrentTest.
Outcome OpenAndScore(Session& session, int id);

// Stores the session's test: a new one inserted, a read one rewritten, in one transaction
// with its log row. Nothing typed is lost on failure; a read-only or busy database is named.
Outcome SaveCurrentTest(Session& session);

// The person of test id, to name it before it is deleted.
Outcome ReadPersonOf(Session& session, int id, PersonalData& person);

// Deletes test id (person, score rows, log row: all or nothing); the session then starts a
// new test.
Outcome DeleteStoredTest(Session& session, int id);

// Every stored test, read on the session's connection and logged as shown.
Outcome ListTests(Session& session, PersonList& list);
// Every stored test as the command line lists it (store/tables/ListedLines.h), in the order
// of a sort key of ListPersons as the archive orders them, read on a connection of its own.
// The list is logged before this returns without failure: print nothing of it before.
Outcome ListTestLines(Session& session, int sortKey, bool descending, ListedLines& lines);
// The list read elsewhere (LoadPersonList, off the GUI thread) is about to be shown.
Outcome RecordListShown(Session& session, int tests);

// Every stored test into the export file at path (store/files/ExportFile.h); the failure is
// what the program says of an export that was not written (nothing when cancelled).
struct ExportDone {
    ExportResult result;
    Outcome failure;
};
ExportDone ExportTests(Session& session, const QString& path, const ExportProgress& progress = {},
                       ExportEncoding encoding = ExportEncoding::Windows1252, ExportFormat format = ExportFormat::Text);

// An export file read back and stored, all or nothing (store/files/ImportFile.h).
ImportResult ImportTestsFrom(Session& session, const QString& path, ImportEncoding encoding = ImportEncoding::ByMark);

// A checked copy of the database file at target ("-": standard output), logged when whole.
// A server's database is not copied: its failure then is the notice that says how.
Outcome BackUp(Session& session, const QString& target);
// Whether the session's database, or the folder's before any connection, lies on a server:
// its backup is then refused before a file is chosen.
bool BackupIsTheServers(const Session& session);
bool FolderIsOnServer(const QString& folder);

// Two stored tests of one child, each read (and logged as shown) and scored, side by side. Tests
// of two children are refused before either is shown. The session's own test is untouched.
Outcome CompareStoredTests(Session& session, int firstId, int secondId, Comparison& comparison);

// Logs that a comparison left the program, once for each of its two tests; false after the
// message, and the print is not to go out.
bool RecordComparisonPrint(Session& session, const Comparison& comparison, const QString& where);
// The same for a comparison written as a document.
bool RecordComparisonDocument(Session& session, const Comparison& comparison, const QString& where);

// Logs that the session's test left the program on paper or as a file (where: the printer,
// or the file as the log names it). false after the message: the print is then not to go out.
bool RecordPrint(Session& session, const QString& where);
// The same for the session's test written as a document file (where: the file as the log names it).
bool RecordDocument(Session& session, const QString& where);

} // namespace tavlo
