#pragma once
// A fresh database folder made by the program's own code, connected through the real driver:
// a SQLite file, or a database of its own on the test server (TestServer.h) with a folder
// made by init-db --server.

#include "TestServer.h"
#include "store/connection/Database.h"
#include "store/connection/Schema.h"

#include <QTemporaryDir>

namespace tavlo::test {

class TempDatabase {
public:
    explicit TempDatabase(StoreKind store = StoreKind::Sqlite);
    ~TempDatabase();
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    StoreKind store() const { return m_store; }
    QString folder() const { return m_dir.path() + QStringLiteral("/db"); }
    QString databasePath() const;
    QString workgroupPath() const;
    // The server's database of this folder; empty for a SQLite file.
    QString serverDatabase() const { return m_serverDatabase; }
    // A second, independent connection to the same database: on a server as the
    // administrator, who owns it.
    bool connect(Database& db) const;
    // The examiner the database was made with: "demo" in SEC of a file; on a server a role of
    // its own (a name of 9 characters drawn for it) in the database's examiners' group.
    ServerLogin examiner() const;
    // A role a test made on the server for this database, dropped with it.
    void forgetRoleAfterwards(const QString& role);
    // Runs one statement outside the program's code (to break the database on purpose); the
    // connection then reads the norm tables anew, as after an import.
    void exec(const QString& sql);

    Database db;

private:
    void createOnServer();

    StoreKind m_store;
    QTemporaryDir m_dir;
    QString m_serverDatabase; // the server database to drop afterwards
    ServerLogin m_examiner;
    QStringList m_rolesMade;
};

} // namespace tavlo::test
