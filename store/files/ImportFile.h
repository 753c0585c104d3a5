#pragma once
// An export file read back and stored: moving an archive to another database.

#include "store/connection/Database.h"

#include <QByteArrayView>
#include <QString>

#include <utility>
#include <vector>

namespace tavlo {

enum class ImportOutcome { Stored, Refused, Failed };

// ByMark: UTF-8 when the file begins with its byte-order mark (as the export's UTF-8 file
// does), otherwise Windows-1252. Utf8: UTF-8 with or without the mark.
enum class ImportEncoding { ByMark, Utf8 };

struct ImportResult {
    ImportOutcome outcome = ImportOutcome::Stored;
    // Whether the tests kept the numbers of the file (none of them was in use).
    bool numbersKept = true;
    // Every stored test in the file's order: its number in the file, then in the database.
    std::vector<std::pair<int, int>> numbers;
    // Refused: what in the file is wrong, naming line and field; Failed: the store's reason.
    // Norwegian, for the user.
    QString message;
};

// Reads a file as the export writes it (Windows-1252 or UTF-8, CR LF, the export's header,
// every field followed by a tab) and stores each line as a test, all in one transaction: a line
// that cannot be stored leaves the database as it was. The file's numbers are kept when
// none of them was ever given out in db, and the counter then passes them; otherwise every
// test gets a new number. A line without a single score or cell stores the person alone, as
// an archive holds a person saved before any score. Shows nothing.
ImportResult ImportTests(Database& db, QByteArrayView file, ImportEncoding encoding = ImportEncoding::ByMark);

// ImportTests on the file at path.
ImportResult ImportExportFile(Database& db, const QString& path, ImportEncoding encoding = ImportEncoding::ByMark);

} // namespace tavlo
