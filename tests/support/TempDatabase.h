#pragma once
// A fresh database folder made by the program's own code, connected through the real driver.

#include "store/Database.h"

#include <QTemporaryDir>

namespace tavlo::test {

class TempDatabase {
public:
    TempDatabase();
    QString folder() const { return m_dir.path() + QStringLiteral("/db"); }
    QString databasePath() const;
    QString workgroupPath() const;
    // A second, independent connection to the same file.
    bool connect(Database& db) const;
    // Runs one statement outside the program's code (to break the database on purpose); the
    // connection then reads the norm tables anew, as after an import.
    void exec(const QString& sql);

    Database db;

private:
    QTemporaryDir m_dir;
};

} // namespace tavlo::test
