#include "scoring/NormTables.h"

#include "scoring/NormGroups.h"
#include "store/files/Csv.h"

#include <QFile>

#include <algorithm>
#include <vector>

namespace tavlo {

namespace {

// Reads one CSV file and hands each row, by column name, to read; a refusal names the
// file, the line and the reason.
class TableReader {
public:
    TableReader(const QString& folder, const QString& name, QString& error)
        : m_name(name)
        , m_error(error)
    {
        if (!error.isEmpty())
            return;
        QFile file(folder + u'/' + name);
        if (!file.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("%1: %2").arg(name, file.errorString());
            return;
        }
        QString parseError;
        if (auto table = ParseCsv(file.readAll(), &parseError))
            m_table = std::move(*table);
        else
            error = QStringLiteral("%1, %2").arg(name, parseError);
    }

    template <typename Read> void rows(Read read)
    {
        for (qsizetype r = 0; m_error.isEmpty() && r < m_table.rows.size(); ++r) {
            m_row = r;
            read(*this);
        }
    }

    const QString& text(const QString& column)
    {
        static const QString missing;
        const qsizetype at = columnOf(column);
        if (at < 0) {
            fail(QStringLiteral("kolonnen %1 mangler").arg(column));
            return missing;
        }
        return m_table.rows[m_row][at];
    }

    // An integer, or fallback when the field is empty and allowEmpty.
    int number(const QString& column, bool allowEmpty = false, int fallback = 0)
    {
        const QStringView field = QStringView(text(column)).trimmed();
        if (field.isEmpty() && allowEmpty)
            return fallback;
        bool ok = false;
        const int value = field.toInt(&ok);
        if (!ok)
            fail(QStringLiteral("%1 er ikke et heltall").arg(column));
        return value;
    }

    Key key(const QString& column)
    {
        const QString& name = text(column);
        // Every name is ASCII; anything else matches no key, as it should.
        char ascii[32];
        const bool fits = name.size() < qsizetype(sizeof ascii)
                          && std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; });
        for (qsizetype i = 0; fits && i < name.size(); ++i)
            ascii[i] = char(name[i].unicode());
        const auto key = fits ? keyFromName(std::string_view(ascii, size_t(name.size()))) : std::nullopt;
        if (!key)
            fail(QStringLiteral("ukjent mål %1").arg(name));
        return key.value_or(Key::AI);
    }

    int ageGroup(const QString& column)
    {
        const QString& literal = text(column);
        const qsizetype at = AgeGroupLiterals().indexOf(literal);
        if (at < 0)
            fail(QStringLiteral("ukjent aldersgruppe %1").arg(literal));
        return int(at) + 1;
    }

    void fail(const QString& reason)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1, linje %2: %3").arg(m_name).arg(m_table.lineNumbers.value(m_row)).arg(reason);
    }

private:
    // Each row asks for the same columns by the same strings: one comparison finds a column
    // asked for before by its characters' address, instead of a walk along the header.
    qsizetype columnOf(const QString& column)
    {
        for (const auto& [characters, at] : m_columns) {
            if (characters == column.constData() && m_table.header[at] == column)
                return at;
        }
        const qsizetype at = m_table.header.indexOf(column);
        if (at >= 0)
            m_columns.emplace_back(column.constData(), at);
        return at;
    }

    QString m_name;
    std::vector<std::pair<const QChar*, qsizetype>> m_columns;
    QString& m_error;
    CsvTable m_table;
    qsizetype m_row = 0;
};

} // namespace

std::optional<AgeBand> AgeBandOfYears(int years)
{
    if (years < 3)
        return std::nullopt;
    if (years <= 4)
        return AgeBand::Y3to4;
    if (years <= 6)
        return AgeBand::Y5to6;
    if (years <= 12)
        return AgeBand::Y7to12;
    return AgeBand::Y13to16;
}

std::pair<int, int> AgeGroupsOfYears(int first, int last)
{
    const auto firstGroup = [](int y) { return y <= 12 ? 2 * (y - 3) + 1 : 21 + (y - 13); };
    const auto lastGroup = [](int y) { return y <= 12 ? 2 * (y - 3) + 2 : 21 + (y - 13); };
    return {firstGroup(first), lastGroup(last)};
}

std::pair<int, int> AgeGroupsOfBand(AgeBand band)
{
    switch (band) {
    case AgeBand::Y3to4:
        return AgeGroupsOfYears(3, 4);
    case AgeBand::Y5to6:
        return AgeGroupsOfYears(5, 6);
    case AgeBand::Y7to12:
        return AgeGroupsOfYears(7, 12);
    case AgeBand::Y13to16:
        break;
    }
    return AgeGroupsOfYears(13, 16);
}

int MaximaColumn(int years)
{
    if (years <= 4)
        return 0;
    if (years <= 6)
        return years - 4;
    if (years <= 12)
        return 3 + (years - 7) / 2;
    return 6;
}

const LookupTable& NormTables::lookup(Key key) const
{
    static const LookupTable empty{};
    const auto it = lookups.find(key);
    return it == lookups.end() ? empty : it->second;
}

const RawMaxima* NormTables::rawMaxima(Key measure) const
{
    for (const auto& [key, maxima] : maxima) {
        if (key == measure)
            return &maxima;
    }
    return nullptr;
}

NormTables ReadNormTables(const QString& folder)
{
    NormTables t;
    QString& error = t.error;

    TableReader lists(folder, QStringLiteral("tables/scale_lists.csv"), error);
    lists.rows([&](TableReader& r) {
        const QString band = r.text(QStringLiteral("BAND"));
        const QStringList names = {QStringLiteral("3-4"), QStringLiteral("5-6"), QStringLiteral("7-12"),
                                   QStringLiteral("13-16")};
        const qsizetype b = names.indexOf(band);
        const QString direction = r.text(QStringLiteral("DIRECTION"));
        if (b < 0 || (direction != u"normal" && direction != u"reverse")) {
            r.fail(QStringLiteral("ukjent aldersbånd eller retning"));
            return;
        }
        t.lists[size_t(b)].push_back({r.text(QStringLiteral("DELSKALA")), r.key(QStringLiteral("RAWKEY")),
                                      direction == u"reverse" ? Direction::Reverse : Direction::Normal});
    });

    // Numbered column names, made once per table rather than once per cell.
    const auto numbered = [](const char* prefix, int first, int last) {
        QStringList names;
        for (int n = first; n <= last; ++n)
            names.append(QLatin1String(prefix) + QString::number(n));
        return names;
    };
    const QStringList lookupColumns = numbered("C", 0, 8);
    const QStringList delayColumns = numbered("Y", 7, 12);
    const QStringList bandColumns = numbered("T", 0, 6);

    TableReader lookups(folder, QStringLiteral("tables/combined.csv"), error);
    lookups.rows([&](TableReader& r) {
        const Key key = r.key(QStringLiteral("TABLE"));
        const int row = r.number(QStringLiteral("ROW"));
        if (row < 0 || row > 19) {
            r.fail(QStringLiteral("raden %1 finnes ikke").arg(row));
            return;
        }
        auto& target = t.lookups[key][size_t(row)];
        for (int c = 0; c < 9; ++c)
            target[size_t(c)] = r.number(lookupColumns[c], true, 0);
    });

    TableReader delay(folder, QStringLiteral("tables/delay.csv"), error);
    int delayRow = 0;
    delay.rows([&](TableReader& r) {
        if (delayRow >= 31) {
            r.fail(QStringLiteral("for mange rader"));
            return;
        }
        auto& row = t.delay[size_t(delayRow++)];
        row[0] = r.number(QStringLiteral("BOUND"));
        for (int y = 7; y <= 12; ++y)
            row[size_t(y - 6)] = r.number(delayColumns[y - 7]);
    });
    if (error.isEmpty() && delayRow != 31)
        error = QStringLiteral("tables/delay.csv: %1 rader, ikke 31").arg(delayRow);

    TableReader classifiers(folder, QStringLiteral("tables/classifiers.csv"), error);
    classifiers.rows([&](TableReader& r) {
        Classifier c;
        c.raw = r.key(QStringLiteral("RAWKEY"));
        c.set = r.text(QStringLiteral("SET")) == u"A" ? BandSet::A : BandSet::B;
        const QStringList rules = {QStringLiteral("K1"), QStringLiteral("K2"), QStringLiteral("K3"), QStringLiteral("K4")};
        const qsizetype rule = rules.indexOf(r.text(QStringLiteral("RULE")));
        if (rule < 0) {
            r.fail(QStringLiteral("ukjent regel"));
            return;
        }
        c.rule = BandRule(rule);
        c.firstAge = r.number(QStringLiteral("FIRSTAGE"));
        c.lastAge = r.number(QStringLiteral("LASTAGE"));
        if (c.firstAge < 3 || c.lastAge > 16 || c.firstAge > c.lastAge)
            r.fail(QStringLiteral("ugyldige aldre"));
        t.classifiers.push_back(c);
    });

    TableReader bands(folder, QStringLiteral("tables/bands.csv"), error);
    bands.rows([&](TableReader& r) {
        const Key key = r.key(QStringLiteral("RAWKEY"));
        const int group = r.ageGroup(QStringLiteral("DELGRUPP"));
        auto it = std::find_if(t.classifiers.begin(), t.classifiers.end(), [&](const Classifier& c) { return c.raw == key; });
        if (it == t.classifiers.end()) {
            r.fail(QStringLiteral("%1 har ingen klassifisering").arg(QLatin1String(keyName(key))));
            return;
        }
        const int count = it->set == BandSet::A ? 5 : 7;
        for (int k = 0; k < count; ++k)
            it->thresholds[size_t(group)][size_t(k)] = r.number(bandColumns[k]);
    });

    TableReader maxima(folder, QStringLiteral("raw_maxima.csv"), error);
    maxima.rows([&](TableReader& r) {
        RawMaxima m{};
        const QStringList columns = {QStringLiteral("LE4"),   QStringLiteral("Y5"),     QStringLiteral("Y6"),
                                     QStringLiteral("Y7_8"),  QStringLiteral("Y9_10"),  QStringLiteral("Y11_12"),
                                     QStringLiteral("GE13")};
        for (int c = 0; c < 7; ++c)
            m[size_t(c)] = r.number(columns[c]);
        t.maxima.emplace_back(r.key(QStringLiteral("CODE")), m);
    });
    return t;
}

// The tables as the build read them (scoring/TableSnapshot.cpp), in a program linked with them;
// the program that writes them, and tests of the reading itself, read the files.
NormTables CompiledNormTables() __attribute__((weak));

const NormTables& normTables()
{
    static const NormTables tables = CompiledNormTables ? CompiledNormTables() : ReadNormTables(QStringLiteral(":/data"));
    return tables;
}

} // namespace tavlo
