#pragma once
// A file a job writes for the user (an export, a backup, a PDF). It is written beside its
// target under a hidden name and put in place only when whole; never over the open database,
// its journal files or the workgroup file (by file identity, so no link gets round it), and
// never over anything that is not a regular file. "-" is standard output.

#include <QFileDevice>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QTemporaryFile;

namespace tavlo {

class Database;

// The files of db no job may write over: the database file with its -journal, -wal and
// -shm, and the workgroup file.
QStringList ProtectedFiles(const Database& db);

// Why path may not be written, in Norwegian and naming it; nullopt when it may. A symbolic
// link is judged by the file it leads to, which is what a job writes.
std::optional<QString> RefuseOutputTarget(const QString& path, const QStringList& protectedFiles);

inline constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

class OutputFile {
public:
    OutputFile(const QString& path, QStringList protectedFiles);
    ~OutputFile(); // a file not committed goes
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Checks the target, removes what killed jobs left beside it, and makes the hidden file
    // (owner-only while it is written; permissions once it is in place). nullopt when it is
    // ready; else why not.
    std::optional<QString> open(QFileDevice::Permissions permissions = kOwnerOnly);

    bool toStandardOutput() const { return m_standardOutput; }
    // The file being written, for writers that open it by name (SQLite, a printer).
    QString writingPath() const;
    // The same file open for writing, for writers that stream.
    QFileDevice& device();
    // Where the file goes: the target after its links, or "-".
    QString targetPath() const { return m_target; }
    // Where the file goes, as the access log names it.
    QString loggedName() const;

    // Puts the whole file in place (or copies it to standard output); nullopt when done. On
    // failure an earlier file at the target is as it was.
    std::optional<QString> commit();

private:
    QString m_given; // as the user named it, for the messages
    QString m_target;
    QStringList m_protected;
    bool m_standardOutput;
    QFileDevice::Permissions m_permissions = kOwnerOnly;
    std::unique_ptr<QTemporaryFile> m_file;
};

// The leftovers of writers that were killed, in folder; removes only files no live writer holds.
void RemoveLeftOutputFiles(const QString& folder);

// The text for a file that cannot be written: what to check first, the system's reason after.
QString CannotWriteText(const QString& path, const QString& reason);

} // namespace tavlo
