#include "scoring/NormImport.h"

#include "scoring/NormGroups.h"
#include "scoring/NormTables.h"
#include "store/accounts/AccessLog.h"
#include "store/tables/NormLoading.h"

#include <QSet>

namespace tavlo {

namespace {

QString at(const CsvTable& table, qsizetype row, const QString& reason)
{
    return QStringLiteral("linje %1: %2").arg(table.lineNumbers.value(row)).arg(reason);
}

// Which band uses a literal in an age group (1-24), and in which direction.
std::optional<Direction> usedIn(const QString& literal, int group)
{
    for (int b = 0; b < kAgeBandCount; ++b) {
        const auto [first, last] = AgeGroupsOfBand(AgeBand(b));
        if (group < first || group > last)
            continue;
        for (const ScaleEntry& e : normTables().list(AgeBand(b))) {
            if (e.literal == literal)
                return e.direction;
        }
    }
    return std::nullopt;
}

QString describe(const QString& a, const QString& b, const QString& c)
{
    return QStringLiteral("\"%1\" \"%2\" \"%3\"").arg(a, b, c);
}

} // namespace

std::optional<QString> CheckNormRows(const CsvTable& rows)
{
    QStringList header = {QStringLiteral("NORMGRUPP"), QStringLiteral("DELSKALA"), QStringLiteral("DELGRUPP")};
    for (int k = 1; k <= 19; ++k)
        header.append(QStringLiteral("S%1").arg(k));
    if (rows.header != header)
        return QStringLiteral("linje 1: overskriften skal være %1").arg(header.join(u','));

    QSet<QString> seen;
    for (qsizetype r = 0; r < rows.rows.size(); ++r) {
        const QStringList& row = rows.rows[r];
        const QString& group = row[0];
        const QString& literal = row[1];
        const QString& ageGroup = row[2];
        if (group.isEmpty() || group.size() > 49)
            return at(rows, r, QStringLiteral("NORMGRUPP må ha 1 til 49 tegn"));
        const qsizetype index = AgeGroupLiterals().indexOf(ageGroup);
        if (index < 0)
            return at(rows, r, QStringLiteral("ukjent aldersgruppe \"%1\"").arg(ageGroup));
        const auto direction = usedIn(literal, int(index) + 1);
        if (!direction)
            return at(rows, r, QStringLiteral("målet \"%1\" brukes ikke i aldersgruppen \"%2\" (se etter mellomrom og "
                                              "skrivemåte)")
                                   .arg(literal, ageGroup));
        const QString key = describe(group, literal, ageGroup);
        if (seen.contains(key))
            return at(rows, r, QStringLiteral("%1 står mer enn én gang").arg(key));
        seen.insert(key);
        std::array<int, 19> bounds{};
        for (int k = 0; k < 19; ++k) {
            bool ok = false;
            bounds[size_t(k)] = row[3 + k].trimmed().toInt(&ok);
            if (!ok)
                return at(rows, r, QStringLiteral("S%1 er ikke et heltall: \"%2\"").arg(k + 1).arg(row[3 + k]));
        }
        for (int k = 1; k < 19; ++k) {
            const bool rises = bounds[size_t(k)] >= bounds[size_t(k - 1)];
            const bool falls = bounds[size_t(k)] <= bounds[size_t(k - 1)];
            if (*direction == Direction::Normal && !rises)
                return at(rows, r, QStringLiteral("S%1 er mindre enn S%2, men grensene for %3 skal stige")
                                       .arg(k + 1)
                                       .arg(k)
                                       .arg(literal));
            if (*direction == Direction::Reverse && !falls)
                return at(rows, r, QStringLiteral("S%1 er større enn S%2, men grensene for %3 (lavere er bedre) skal synke")
                                       .arg(k + 1)
                                       .arg(k)
                                       .arg(literal));
        }
    }
    // Every row the program looks up for the standard group.
    for (int b = 0; b < kAgeBandCount; ++b) {
        const auto [first, last] = AgeGroupsOfBand(AgeBand(b));
        for (int g = first; g <= last; ++g) {
            for (const ScaleEntry& e : normTables().list(AgeBand(b))) {
                const QString key = describe(kStandardNormGroup, e.literal, AgeGroupLiterals()[g - 1]);
                if (!seen.contains(key))
                    return QStringLiteral("raden %1 mangler").arg(key);
            }
        }
    }
    return std::nullopt;
}

std::optional<QString> CheckNormGroups(const CsvTable& groups)
{
    const QStringList header = {QStringLiteral("NORMGRUPP"), QStringLiteral("DELGRUPP"), QStringLiteral("SEKVENS"),
                                QStringLiteral("BESKRIVNING")};
    if (groups.header != header)
        return QStringLiteral("linje 1: overskriften skal være %1").arg(header.join(u','));
    QSet<QString> seen;
    for (qsizetype r = 0; r < groups.rows.size(); ++r) {
        const QStringList& row = groups.rows[r];
        if (row[0].isEmpty() || row[0].size() > 49)
            return at(groups, r, QStringLiteral("NORMGRUPP må ha 1 til 49 tegn"));
        if (!AgeGroupLiterals().contains(row[1]))
            return at(groups, r, QStringLiteral("ukjent aldersgruppe \"%1\"").arg(row[1]));
        bool ok = false;
        row[2].trimmed().toInt(&ok);
        if (!ok)
            return at(groups, r, QStringLiteral("SEKVENS er ikke et heltall"));
        if (row[3].size() > 63)
            return at(groups, r, QStringLiteral("BESKRIVNING har mer enn 63 tegn"));
        const QString key = row[0] + u'\n' + row[1];
        if (seen.contains(key))
            return at(groups, r, QStringLiteral("aldersgruppen \"%1\" står mer enn én gang").arg(row[1]));
        seen.insert(key);
    }
    for (const QString& literal : AgeGroupLiterals()) {
        if (!seen.contains(kStandardNormGroup + u'\n' + literal))
            return QStringLiteral("aldersgruppen \"%1\" mangler for %2").arg(literal, kStandardNormGroup);
    }
    return std::nullopt;
}

bool ImportNorms(Database& db, const CsvTable& rows, const CsvTable* groups, QString* error)
{
    if (auto refusal = CheckNormRows(rows)) {
        *error = *refusal;
        return false;
    }
    if (groups) {
        if (auto refusal = CheckNormGroups(*groups)) {
            *error = *refusal;
            return false;
        }
    }
    Transaction transaction(db);
    if (!transaction.started()) {
        *error = db.diagnostic();
        return false;
    }
    if (!ReplaceNormRows(db, rows, error) || (groups && !ReplaceNormGroups(db, *groups, error)))
        return false;
    const QString note = groups ? QStringLiteral("%1 normrader, %2 aldersgrupper").arg(rows.rows.size()).arg(groups->rows.size())
                                : QStringLiteral("%1 normrader").arg(rows.rows.size());
    if (!LogAccessQuietly(db, AccessEvent::NormsImported, 0, note, error))
        return false;
    if (!transaction.commit()) {
        *error = db.diagnostic();
        return false;
    }
    return true;
}

} // namespace tavlo
