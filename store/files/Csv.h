#pragma once
// Comma-separated values as the data files and the norm import use them: a header row,
// fields optionally in double quotes (a doubled quote inside is one quote), UTF-8.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavlo {

struct CsvTable {
    QStringList header;
    QList<QStringList> rows;
    QList<int> lineNumbers; // the line each row starts on, for messages
};

// The table, or nullopt with the line and reason in error.
std::optional<CsvTable> ParseCsv(const QByteArray& bytes, QString* error);

} // namespace tavlo
