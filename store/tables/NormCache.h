#pragma once
// The norm tables of one connection in memory: NORMER_TAVLO one norm group's age group at a
// time (a test needs one or two of the 24 shipped, each about 35 rows), NORMGRUPPER_TAVLO
// whole (24 rows), each with one query when first needed; every lookup of a scoring run is
// then answered from memory, with the meaning and the messages of the keyed norm queries.
//
// The copy is dropped when this program changes the norms on the connection
// (ReplaceNormRows and ReplaceNormGroups: import-norms, a new database) and when the
// connection is closed or made anew. Another program changing the norm tables while this
// one runs is not seen until this program connects again (a new start or login).

#include "model/NormSource.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <array>

namespace tavlo {

class Database;
class Statement;

class NormCache final : public NormSource {
public:
    explicit NormCache(Database& db)
        : m_db(db)
    {
    }

    bool fetch(NormRow& row) override;
    int fetchDescription(const QString& normGroup, const QString& ageGroup, QString* description) override;

    // Forgets what was read. Inside a transaction it forgets again when the transaction
    // ends: what is read meanwhile may hold rows that the transaction then rolls back.
    void drop();
    // The connection's transaction has ended.
    void transactionEnded();

private:
    // A stored row as the keyed norm query would have read it: its bounds; an empty
    // bound (the row counts as missing); or a bound the driver could not read (its message).
    struct Entry {
        enum class State { Bounds, EmptyBound, Unreadable };
        State state = State::Bounds;
        std::array<int, 19> S{};
        QString failure;
    };
    struct Description {
        QString text;
        QString failure; // not empty: the driver could not read the text
    };

    bool loadRows(const QString& normGroup, const QString& ageGroup);
    bool loadDescriptions();
    Entry readBounds(Statement& s) const;

    Database& m_db;
    // The (norm group, age group) pairs read, keyed with an empty measure.
    QSet<NormKey> m_rowsRead;
    bool m_descriptionsRead = false;
    bool m_dropWhenTransactionEnds = false;
    QHash<NormKey, Entry> m_rows;
    QHash<NormKey, Description> m_descriptions; // measure empty
};

} // namespace tavlo
