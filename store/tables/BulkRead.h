#pragma once
// Every stored test read in bulk, for work on the whole archive (the export, benchmarks).

#include "model/TestRecord.h"
#include "store/connection/Database.h"

#include <functional>

namespace tavlo {

// Persons per statement: memory stays bounded whatever the archive's size, since the SQLite
// driver holds a statement's whole result until the next one.
inline constexpr int kTestsPerChunk = 500;

enum class BulkRead { Done, Stopped, Failed };

struct BulkReadResult {
    BulkRead outcome = BulkRead::Done;
    QString error; // the driver's text when Failed
};

// Hands every stored test, in ascending number order, to onTest, each whole as ReadTest reads
// it (a missing score row leaves -9 in every score or cell of it); onTest may change the
// record and returns false to stop. After each chunk, afterChunk gets the tests read so far and
// the number stored, and returns false to stop. All chunks are read inside one snapshot, so
// the run sees one moment of the database. Shows nothing: a failure comes back as text.
BulkReadResult readEveryTest(Database& db, const std::function<bool(TestRecord&)>& onTest,
                             const std::function<bool(int read, int total)>& afterChunk = {},
                             int chunkSize = kTestsPerChunk);

} // namespace tavlo
