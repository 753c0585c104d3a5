#include "store/InputFile.h"

#include <QFile>

namespace tavlo {

std::optional<QByteArray> ReadInputFile(const QString& path, qint64 limit, QString* error)
{
    const auto tooLarge = [&] {
        *error = QStringLiteral("Filen %1 er større enn %2 MB og leses ikke inn.").arg(path).arg(limit / (1024 * 1024));
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Filen %1 kan ikke leses: %2.").arg(path, file.errorString());
        return std::nullopt;
    }
    if (!file.isSequential() && file.size() > limit)
        return tooLarge();
    // A device or a pipe has no size: read one byte past the limit at most.
    const QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("Filen %1 kan ikke leses: %2.").arg(path, file.errorString());
        return std::nullopt;
    }
    if (bytes.size() > limit)
        return tooLarge();
    return bytes;
}

} // namespace tavlo
