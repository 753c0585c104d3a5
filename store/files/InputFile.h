#pragma once
// Reading a file the user names as input (norms, an exported archive) within a bound: a
// wrong file, or an endless one such as a device, must not take the program's memory or hang it.

#include <QByteArray>
#include <QString>

#include <optional>

namespace tavlo {

inline constexpr qint64 kNormFileLimit = 10 * 1024 * 1024;    // a norm file is about 80 KB
inline constexpr qint64 kImportFileLimit = 200 * 1024 * 1024; // some 300,000 tests

// The whole file, or nullopt with a Norwegian reason in error: unreadable, not a regular file
// (a folder, a device, a FIFO: refused without waiting for a writer), or larger than limit
// (refused by its size before any of it is read).
// What a file that is not a regular one is, for a message ("en mappe", "en enhet", "en FIFO ...").
QString FileKindText(unsigned mode);

std::optional<QByteArray> ReadInputFile(const QString& path, qint64 limit, QString* error);

} // namespace tavlo
