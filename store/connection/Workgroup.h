#pragma once
// The workgroup file Virod.mdw beside the database holds the connection template, so that
// another ODBC source is a matter of configuration.

#include <QFileDevice>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavlo {

// The two files of a database folder.
inline const QString kDatabaseFileName = QStringLiteral("TAVLO-II.mdb");
inline const QString kWorkgroupFileName = QStringLiteral("Virod.mdw");

// A SQLite database file through the SQLite3 ODBC driver. No blank between keys (the
// driver ignores such a key), NoCreat so a missing file is an error and not a new database.
inline const QString kSqliteConnectionTemplate = QStringLiteral("DRIVER=SQLite3;Database=%1;NoCreat=1;Timeout=10000");

// The template of the workgroup file, or nullopt with the reason in error.
std::optional<QString> ReadConnectionTemplate(const QString& workgroupPath, QString* error);
// Whether the workgroup file exists and its template names a database server: then the
// folder holds no database file.
bool WorkgroupNamesServer(const QString& workgroupPath);

// Children's data: the owner and the clinic's group, nobody else. The database file and the
// workgroup file (which names the server) both.
inline const QFileDevice::Permissions kDatabaseFilePermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::WriteGroup;

// Writes a workgroup file holding the template, with permissions from its first byte; false
// with the reason in error.
bool WriteWorkgroupFile(const QString& workgroupPath, const QString& connectionTemplate, QString* error,
                        QFileDevice::Permissions permissions = kDatabaseFilePermissions);

// Fills "%s" in order and "%1".."%9" by position with values; "%%" is a percent sign.
QString FillConnectionTemplate(const QString& connectionTemplate, const QStringList& values);

} // namespace tavlo
