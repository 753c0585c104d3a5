#pragma once
// The export file of a database as the program writes it, in memory.

#include "store/ExportFile.h"

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

} // namespace tavlo::test
