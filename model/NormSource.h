#pragma once
// A norm row and where scoring reads norm rows from: the connection's in-memory
// copy of the norm tables (store/tables/NormCache.h), or a table a test or a benchmark gives. A
// scoring run is then a function of the test record and the norms alone.

#include <QHash>
#include <QString>

#include <array>

namespace tavlo {

struct NormRow {
    QString NORMGRUPP;
    QString DELSKALA;
    QString DELGRUPP;
    std::array<int, 19> S{}; // S1..S19
};

// The three texts that pick one norm row, compared exactly: case and blanks count ("PB "
// is not "PB"), as the database's own = on these columns.
struct NormKey {
    QString group;
    QString measure;
    QString ageGroup;
    friend bool operator==(const NormKey&, const NormKey&) = default;
};

inline size_t qHash(const NormKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.group, key.measure, key.ageGroup);
}

class NormSource {
public:
    virtual ~NormSource() = default;
    // FetchNormRow: fills row.S from the norm row keyed by the record's three
    // texts and returns true. false when there is none, silently, and false when the norms
    // could not be read, after the source's own message; row.S keeps what it held.
    virtual bool fetch(NormRow& row) = 0;
    // The stored BESKRIVNING of an age group of a norm group (LoadAgeGroupDescription
    // shortens it and puts "A" first): 1 read, 9 no such age group (description untouched),
    // 0 after the source's own message.
    virtual int fetchDescription(const QString& normGroup, const QString& ageGroup, QString* description) = 0;
};

// Norm rows and descriptions given in memory. When a key is added twice the first stays, as
// the first row the database returns is the one used.
class NormTable final : public NormSource {
public:
    void addRow(const NormRow& row);
    void addDescription(const QString& normGroup, const QString& ageGroup, const QString& description);
    bool fetch(NormRow& row) override;
    int fetchDescription(const QString& normGroup, const QString& ageGroup, QString* description) override;

private:
    QHash<NormKey, std::array<int, 19>> m_rows;
    QHash<NormKey, QString> m_descriptions; // measure empty
};

} // namespace tavlo
