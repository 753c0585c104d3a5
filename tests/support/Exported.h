#pragma once
// The export file of a database as the program writes it, in memory.

#include "store/files/ExportFile.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace tavlo::test {

inline QByteArray exported(Database& db, int chunkSize = kTestsPerChunk)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const ExportResult result = ExportAll(db, buffer, {}, chunkSize);
    EXPECT_EQ(result.outcome, ExportOutcome::Written) << result.message.toStdString();
    return buffer.data();
}

// The file with one field (line and column counted from 1) holding value instead.
inline QByteArray withField(const QByteArray& file, int line, int column, const QByteArray& value)
{
    QList<QByteArray> out = file.split('\n');
    QList<QByteArray> fields = out[line - 1].split('\t');
    fields[column - 1] = value;
    out[line - 1] = fields.join('\t');
    return out.join('\n');
}

// The same, the column named by its header.
inline QByteArray withField(const QByteArray& file, int line, const char* name, const QByteArray& value)
{
    const qsizetype column = ExportColumnNames().indexOf(QLatin1String(name));
    EXPECT_GE(column, 0) << "no column " << name;
    return column < 0 ? file : withField(file, line, int(column) + 1, value);
}

} // namespace tavlo::test
