#include "store/tables/NormCache.h"

#include "store/connection/Database.h"
#include "vandrel/MessageSink.h"

namespace tavlo {

bool NormCache::fetch(NormRow& row)
{
    // A failed read is not kept: every lookup tries again and says why it failed, as each
    // query of its own did.
    if (!m_rowsRead.contains(NormKey{row.NORMGRUPP, QString(), row.DELGRUPP}) && !loadRows(row.NORMGRUPP, row.DELGRUPP))
        return false;
    const auto found = m_rows.constFind(NormKey{row.NORMGRUPP, row.DELSKALA, row.DELGRUPP});
    if (found == m_rows.cend())
        return false;
    switch (found->state) {
    case Entry::State::Bounds:
        row.S = found->S;
        return true;
    case Entry::State::EmptyBound:
        return false;
    case Entry::State::Unreadable:
        m_db.tellUser(found->failure, MessageIcon::Stop);
        return false;
    }
    return false;
}

int NormCache::fetchDescription(const QString& normGroup, const QString& ageGroup, QString* description)
{
    if (!m_descriptionsRead && !loadDescriptions())
        return 0;
    const auto found = m_descriptions.constFind(NormKey{normGroup, QString(), ageGroup});
    if (found == m_descriptions.cend())
        return 9;
    if (!found->failure.isEmpty()) {
        m_db.tellUser(found->failure, MessageIcon::Stop);
        return 0;
    }
    *description = found->text;
    return 1;
}

void NormCache::drop()
{
    m_rows.clear();
    m_descriptions.clear();
    m_rowsRead.clear();
    m_descriptionsRead = false;
    if (m_db.inTransaction())
        m_dropWhenTransactionEnds = true;
}

void NormCache::transactionEnded()
{
    if (!m_dropWhenTransactionEnds)
        return;
    m_dropWhenTransactionEnds = false;
    drop();
}

NormCache::Entry NormCache::readBounds(Statement& s) const
{
    // Column by column and stopping where the keyed query stopped: the first empty bound
    // makes the row missing, the first unreadable one reports.
    Entry entry;
    for (int k = 0; k < 19; ++k) {
        bool ok = false;
        const auto value = s.getInt(4 + k, &ok);
        if (!ok) {
            entry.state = Entry::State::Unreadable;
            entry.failure = m_db.errorText(s.handle());
            return entry;
        }
        // A row with an empty bound cannot convert anything: it counts as missing.
        if (!value) {
            entry.state = Entry::State::EmptyBound;
            return entry;
        }
        entry.S[size_t(k)] = *value;
    }
    return entry;
}

bool NormCache::loadRows(const QString& normGroup, const QString& ageGroup)
{
    // The keys are compared in memory exactly, as = compares them in the database. A row
    // with an empty key never equals a lookup's key, so it is left out here too. When several
    // rows share a key, the first the database returns is the one used, as before.
    Statement s(m_db);
    if (!s.prepare(QStringLiteral("SELECT NORMGRUPP, DELSKALA, DELGRUPP, S1, S2, S3, S4, S5, S6, S7, S8, S9, S10, "
                                  "S11, S12, S13, S14, S15, S16, S17, S18, S19 FROM NORMER_TAVLO WHERE NORMGRUPP = ? "
                                  "AND DELGRUPP = ? AND DELSKALA IS NOT NULL"))
        || !s.bindText(1, normGroup) || !s.bindText(2, ageGroup) || !s.execute()) {
        s.report();
        return false;
    }
    QHash<NormKey, Entry> rows;
    for (;;) {
        const Fetch fetched = s.fetch();
        if (fetched == Fetch::NoData)
            break;
        bool ok[3] = {};
        const NormKey key = fetched == Fetch::Row
                                ? NormKey{s.getText(1, &ok[0]), s.getText(2, &ok[1]), s.getText(3, &ok[2])}
                                : NormKey{};
        if (!ok[0] || !ok[1] || !ok[2]) {
            s.report();
            return false;
        }
        if (!rows.contains(key))
            rows.insert(key, readBounds(s));
    }
    m_rows.insert(rows);
    m_rowsRead.insert(NormKey{normGroup, QString(), ageGroup});
    return true;
}

bool NormCache::loadDescriptions()
{
    Statement s(m_db);
    if (!s.execDirect(QStringLiteral("SELECT NORMGRUPP, DELGRUPP, BESKRIVNING FROM NORMGRUPPER_TAVLO WHERE NORMGRUPP "
                                     "IS NOT NULL AND DELGRUPP IS NOT NULL"))) {
        s.report();
        return false;
    }
    QHash<NormKey, Description> descriptions;
    for (;;) {
        const Fetch fetched = s.fetch();
        if (fetched == Fetch::NoData)
            break;
        bool ok[2] = {};
        const NormKey key = fetched == Fetch::Row ? NormKey{s.getText(1, &ok[0]), QString(), s.getText(2, &ok[1])}
                                                  : NormKey{};
        if (!ok[0] || !ok[1]) {
            s.report();
            return false;
        }
        if (descriptions.contains(key))
            continue;
        bool read = false;
        Description d;
        d.text = s.getText(3, &read); // an empty (NULL) description reads as an empty text
        if (!read)
            d.failure = m_db.errorText(s.handle());
        descriptions.insert(key, d);
    }
    m_descriptions = std::move(descriptions);
    m_descriptionsRead = true;
    return true;
}

} // namespace tavlo
