#include "store/files/OutputFile.h"

#include "store/connection/Database.h"
#include "store/files/InputFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavlo {

namespace {

// The hidden name a file is written under: ".NAME.tavlo-XXXXXX" beside its target.
const QString kWritingMark = QStringLiteral(".tavlo-");
constexpr int kLongestKeptName = 200; // with the mark, within a file name's 255 bytes

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool statPath(const QString& path, struct stat* st)
{
    return ::stat(QFile::encodeName(path).constData(), st) == 0;
}

// The file a chain of symbolic links ends in, as QSaveFile writes through them; the path
// itself when it is no link.
QString followLinks(const QString& path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}

QString protectedRefusal(const QString& path, const QString& protectedFile)
{
    return QStringLiteral("Filen %1 kan ikke skrives over: den er databasen som er i bruk, eller en fil databasen "
                          "trenger (%2). Ingenting er endret. Velg et annet filnavn.")
        .arg(shown(path), QFileInfo(protectedFile).fileName());
}

mode_t modeOf(QFileDevice::Permissions p)
{
    mode_t mode = 0;
    const std::pair<QFileDevice::Permission, mode_t> bits[] = {
        {QFileDevice::ReadOwner, S_IRUSR}, {QFileDevice::WriteOwner, S_IWUSR}, {QFileDevice::ReadGroup, S_IRGRP},
        {QFileDevice::WriteGroup, S_IWGRP}, {QFileDevice::ReadOther, S_IROTH}, {QFileDevice::WriteOther, S_IWOTH},
    };
    for (const auto& [permission, bit] : bits) {
        if (p.testFlag(permission))
            mode |= bit;
    }
    return mode;
}

// The rename is lasting only once the folder is synced; should that fail the file is in
// place all the same.
void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

std::optional<QString> copyToStandardOutput(const QString& from)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return CannotWriteText(QStringLiteral("-"), in.errorString());
    const auto failed = [] {
        return QStringLiteral("Standard ut kunne ikke skrives (%1). Det som kom ut, er ufullstendig.").arg(systemError());
    };
    for (;;) {
        const QByteArray chunk = in.read(1 << 16);
        if (chunk.isEmpty())
            break;
        if (std::fwrite(chunk.constData(), 1, size_t(chunk.size()), stdout) != size_t(chunk.size()))
            return failed();
    }
    if (in.error() != QFileDevice::NoError)
        return CannotWriteText(QStringLiteral("-"), in.errorString());
    if (std::fflush(stdout) != 0)
        return failed();
    return std::nullopt;
}

} // namespace

QString CannotWriteText(const QString& path, const QString& reason)
{
    return QStringLiteral("Filen %1 kan ikke skrives. Kontroller at mappen finnes, at du har skrivetilgang til den, "
                          "og at disken ikke er full. Ingenting er endret.\n\n%2")
        .arg(shown(path), reason);
}

QStringList ProtectedFiles(const Database& db)
{
    QStringList files;
    if (const QString database = db.databaseFile(); !database.isEmpty()) {
        files << database;
        for (const char* suffix : {"-journal", "-wal", "-shm"})
            files << database + QLatin1String(suffix);
    }
    if (const QString workgroup = db.workgroupFile(); !workgroup.isEmpty())
        files << workgroup;
    return files;
}

std::optional<QString> RefuseOutputTarget(const QString& path, const QStringList& protectedFiles)
{
    struct stat target {};
    if (path == u"-") {
        // "> TAVLO-II.mdb" has emptied the file already; at least nothing more goes into it.
        if (::fstat(STDOUT_FILENO, &target) == 0) {
            for (const QString& file : protectedFiles) {
                if (struct stat p {}; statPath(file, &p) && sameFile(p, target))
                    return protectedRefusal(file, file);
            }
        }
        return std::nullopt;
    }
    const QString resolved = followLinks(path);
    if (statPath(resolved, &target)) {
        if (S_ISDIR(target.st_mode))
            return QStringLiteral("%1 er en mappe, ikke en fil. Ingenting er skrevet. Oppgi et filnavn.").arg(shown(path));
        if (!S_ISREG(target.st_mode))
            return QStringLiteral("%1 er %2 og ikke en vanlig fil, og blir ikke erstattet. Ingenting er skrevet. "
                                  "Velg et annet filnavn.")
                .arg(shown(path), FileKindText(target.st_mode));
        for (const QString& file : protectedFiles) {
            if (struct stat p {}; statPath(file, &p) && sameFile(p, target))
                return protectedRefusal(path, file);
        }
        return std::nullopt;
    }
    if (errno != ENOENT)
        return CannotWriteText(path, systemError());
    // A file not there yet may still be one the database makes (its journal): judged by the
    // folder's identity and the name.
    const QFileInfo info(resolved);
    struct stat folder {};
    if (!statPath(info.absolutePath(), &folder) || !S_ISDIR(folder.st_mode))
        return QStringLiteral("Mappen %1 finnes ikke. Ingenting er skrevet. Velg en mappe som finnes.")
            .arg(shown(info.absolutePath()));
    for (const QString& file : protectedFiles) {
        const QFileInfo p(file);
        if (struct stat pf {}; p.fileName() == info.fileName() && statPath(p.absolutePath(), &pf) && sameFile(pf, folder))
            return protectedRefusal(path, file);
    }
    return std::nullopt;
}

void RemoveLeftOutputFiles(const QString& folder)
{
    static const QRegularExpression left(QStringLiteral("^\\..*\\.tavlo-[A-Za-z0-9]{6}$"));
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!left.match(name).hasMatch())
            continue;
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        struct stat seen {};
        if (::lstat(path.constData(), &seen) != 0 || !S_ISREG(seen.st_mode) || seen.st_uid != ::geteuid())
            continue;
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A writer holds its file locked while it lives: a lock to be had means a killed one.
        struct stat opened {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 && sameFile(opened, seen))
            ::unlink(path.constData());
        ::close(fd);
    }
}

OutputFile::OutputFile(const QString& path, QStringList protectedFiles)
    : m_given(path)
    , m_target(path == u"-" ? path : followLinks(path))
    , m_protected(std::move(protectedFiles))
    , m_standardOutput(path == u"-")
{
}

OutputFile::~OutputFile() = default;

std::optional<QString> OutputFile::open(QFileDevice::Permissions permissions)
{
    if (auto refusal = RefuseOutputTarget(m_given, m_protected))
        return refusal;
    const QString folder = m_standardOutput ? QDir::tempPath() : QFileInfo(m_target).absolutePath();
    const QString name = m_standardOutput ? QStringLiteral("tavlo-ii-ut") : QFileInfo(m_target).fileName();
    RemoveLeftOutputFiles(folder);
    for (int attempt = 0; attempt < 3; ++attempt) {
        auto file = std::make_unique<QTemporaryFile>(QStringLiteral("%1/.%2%3XXXXXX")
                                                         .arg(folder, name.left(kLongestKeptName), kWritingMark));
        // fileName() gives the file its name: Qt may make it unnamed (O_TMPFILE) until asked.
        if (!file->open() || file->fileName().isEmpty())
            return CannotWriteText(m_given, file->errorString());
        // Locked for as long as this writer lives; a cleaner that took it in the moment
        // before has unlinked it, and then another is made.
        struct stat made {};
        if (::flock(file->handle(), LOCK_EX | LOCK_NB) != 0 || ::fstat(file->handle(), &made) != 0
            || made.st_nlink == 0)
            continue;
        m_file = std::move(file);
        m_permissions = permissions;
        return std::nullopt;
    }
    return CannotWriteText(m_given, QStringLiteral("no temporary file could be locked"));
}

QString OutputFile::loggedName() const
{
    return m_standardOutput ? QStringLiteral("standard ut") : m_target;
}

QString OutputFile::writingPath() const
{
    return m_file ? m_file->fileName() : QString();
}

QFileDevice& OutputFile::device()
{
    return *m_file;
}

std::optional<QString> OutputFile::commit()
{
    if (!m_file)
        return CannotWriteText(m_given, QStringLiteral("not open"));
    // QSaveFile's commit ignored a failed last flush (QTBUG-75077): here it stops the job.
    if (!m_file->flush())
        return CannotWriteText(m_given, m_file->errorString());
    // A backup or a report must survive a power cut once it is said to be written.
    if (::fsync(m_file->handle()) != 0)
        return CannotWriteText(m_given, systemError());
    if (m_standardOutput)
        return copyToStandardOutput(m_file->fileName());
    // Owner-only while it was written; what it is to be only now, when it is whole.
    if (::fchmod(m_file->handle(), modeOf(m_permissions)) != 0)
        return CannotWriteText(m_given, systemError());
    // The target may have changed while the file was written.
    if (auto refusal = RefuseOutputTarget(m_given, m_protected))
        return refusal;
    if (std::rename(QFile::encodeName(m_file->fileName()).constData(), QFile::encodeName(m_target).constData()) != 0)
        return CannotWriteText(m_given, systemError());
    m_file->setAutoRemove(false);
    syncFolder(QFileInfo(m_target).absolutePath());
    return std::nullopt;
}

} // namespace tavlo
