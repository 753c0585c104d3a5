#include "store/files/InputFile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavlo {

QString FileKindText(unsigned mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("en mappe");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("en enhet");
    if (S_ISFIFO(mode))
        return QStringLiteral("en FIFO (et navngitt rør)");
    if (S_ISSOCK(mode))
        return QStringLiteral("en socket");
    return QStringLiteral("ikke en vanlig fil");
}

std::optional<QByteArray> ReadInputFile(const QString& path, qint64 limit, QString* error)
{
    const QString shown = QDir::toNativeSeparators(path);
    const auto unreadable = [&](const QString& reason) {
        *error = QStringLiteral("Filen %1 kan ikke leses. Kontroller navnet og at du har lesetilgang til filen.\n\n%2")
                     .arg(shown, reason);
        return std::nullopt;
    };
    const auto tooLarge = [&] {
        *error = QStringLiteral("Filen %1 er større enn %2 MB og leses ikke inn.").arg(shown).arg(limit / (1024 * 1024));
        return std::nullopt;
    };
    // Opened without waiting, so that a FIFO with no writer cannot hold the job for ever;
    // anything but a regular file is refused before a byte of it is read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return unreadable(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const QString kind = FileKindText(st.st_mode);
        ::close(fd);
        *error = QStringLiteral("%1 er %2 og ikke en vanlig fil, og leses ikke inn. Oppgi en fil.").arg(shown, kind);
        return std::nullopt;
    }
    if (st.st_size > limit) {
        ::close(fd);
        return tooLarge();
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return unreadable(file.errorString());
    }
    // A file still growing is read no further than one byte past the limit.
    const QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError)
        return unreadable(file.errorString());
    if (bytes.size() > limit)
        return tooLarge();
    return bytes;
}

} // namespace tavlo
