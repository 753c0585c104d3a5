#pragma once
// The PostgreSQL server that tools/test-postgres.sh starts for a run of the tests (the CTest
// fixture "postgres"), as its state file describes it.

#include <QString>

#include <optional>

namespace tavlo::test {

struct TestServer {
    QString connectionTemplate; // of the database "tavlo", made by init-db --server
    QString folder;             // the folder init-db made for it
    QString server;             // "Server=...;Port=..." for init-db --server
    QString superuser;          // a connection string, to make and drop databases
};

// nullopt when no server runs for this run.
const std::optional<TestServer>& testServer();

// The message for a test that needs the server and finds none.
inline const char* kNoTestServer = "no PostgreSQL test server: run the tests through ctest (fixture \"postgres\")";

// Gives TAVLO_TEST_POSTGRES_TEMPLATE the server's template unless it is set already.
void exportTestServerTemplate();

} // namespace tavlo::test
