#pragma once
// The PostgreSQL server that tools/test-postgres.sh starts for a run of the tests (the CTest
// fixture "postgres"), as its state file describes it.

#include <QString>

#include <optional>

namespace tavlo::test {

struct ServerLogin {
    QString user;
    QString password;
};

struct TestServer {
    QString connectionTemplate; // of the database "tavlo", made by init-db --server
    QString folder;             // the folder init-db made for it
    QString server;             // "Server=...;Port=..." for init-db --server
    QString superuser;          // a connection string, to make and drop databases
    ServerLogin admin;          // the clinic's administrator: owns every test database
    ServerLogin examiner;       // an examiner of "tavlo"
    QString passwordFile;       // a libpq password file holding the administrator's password
};

// nullopt when no server runs for this run.
const std::optional<TestServer>& testServer();

// The message for a test that needs the server and finds none.
inline const char* kNoTestServer = "no PostgreSQL test server: run the tests through ctest (fixture \"postgres\")";

// Runs one statement as the server's superuser (to make or drop a database or a role); false
// after a test failure with the server's text.
bool runAsSuperuser(const QString& sql);

// The administrator's role and password; empty when no server runs (a SQLite folder's
// connection takes none).
ServerLogin serverAdmin();

// Gives TAVLO_TEST_POSTGRES_TEMPLATE the server's template unless it is set already, and the
// tool run by a test the administrator's role (PGUSER) and password file (PGPASSFILE), and a
// helper program the role and password (TAVLO_TEST_POSTGRES_USER, _PASSWORD).
void exportTestServerTemplate();

} // namespace tavlo::test
