#include "scoring/NormGroups.h"

#include "resources/StringTable.h"
#include "vandrel/MessageSink.h"

namespace tavlo {

const QStringList& AgeGroupLiterals()
{
    // Held apart from the string table on purpose: the two must agree, and the tests say so.
    static const QStringList literals = {
        QStringLiteral("Ålder 3:0-3:5"),    QStringLiteral("Ålder 3:6-3:11"),   QStringLiteral("Ålder 4:0-4:5"),
        QStringLiteral("Ålder 4:6-4:11"),   QStringLiteral("Ålder 5:0-5:5"),    QStringLiteral("Ålder 5:6-5:11"),
        QStringLiteral("Ålder 6:0-6:5"),    QStringLiteral("Ålder 6:6-6:11"),   QStringLiteral("Ålder 7:0-7:5"),
        QStringLiteral("Ålder 7:6-7:11"),   QStringLiteral("Ålder 8:0-8:5"),    QStringLiteral("Ålder 8:6-8:11"),
        QStringLiteral("Ålder 9:0-9:5"),    QStringLiteral("Ålder 9:6-9:11"),   QStringLiteral("Ålder 10:0-10:5"),
        QStringLiteral("Ålder 10:6-10:11"), QStringLiteral("Ålder 11:0-11:5"),  QStringLiteral("Ålder 11:6-11:11"),
        QStringLiteral("Ålder 12:0-12:5"),  QStringLiteral("Ålder 12:6-12:11"), QStringLiteral("Ålder 13:0-13:11"),
        QStringLiteral("Ålder 14:0-14:11"), QStringLiteral("Ålder 15:0-15:11"), QStringLiteral("Ålder 16:0-16:11"),
    };
    return literals;
}

bool FetchNormRow(NormSource& source, NormRow& row)
{
    return source.fetch(row);
}

bool FetchNormRow(Database& db, NormRow& row)
{
    return FetchNormRow(db.normCache(), row);
}

int SelectAgeGroup(NormSource& source, NormState& norms, const TestRecord& test)
{
    const TestAge age = test.testAge();
    const int y = age.years;
    int id = 524;
    if (y < 3) {
        id = 501;
        tell(QStringLiteral("Notera att barnet är yngre än den normgrupp som barnet jämförs med."));
    } else if (y <= 12) {
        id = (age.months <= 5 ? 501 : 502) + 2 * (y - 3);
    } else if (y <= 16) {
        id = 521 + (y - 13);
    } else {
        tell(QStringLiteral("Notera att barnet är äldre än den normgrupp som barnet jämförs med."));
    }
    norms.CurrentAgeGroup = LoadString(id).left(49);
    return LoadAgeGroupDescription(source, norms);
}

int SelectAgeGroup(Database& db, NormState& norms, const TestRecord& test)
{
    return SelectAgeGroup(db.normCache(), norms, test);
}

int LoadAgeGroupDescription(NormSource& source, NormState& norms)
{
    QString description;
    const int found = source.fetchDescription(norms.CurrentNormGroup, norms.CurrentAgeGroup, &description);
    if (found != 1)
        return found;
    // The first letter becomes "A" (the stored texts begin with "Å"): one whole character.
    description = description.left(63);
    if (!description.isEmpty())
        description.replace(0, description[0].isHighSurrogate() ? 2 : 1, u'A');
    norms.AgeGroupDescription = description;
    return 1;
}

int LoadAgeGroupDescription(Database& db, NormState& norms)
{
    return LoadAgeGroupDescription(db.normCache(), norms);
}

QStringList ListAgeGroups(Database& db, const NormState& norms)
{
    QStringList groups;
    Statement s(db);
    if (!s.prepare(QStringLiteral("SELECT DELGRUPP FROM NORMGRUPPER_TAVLO WHERE NORMGRUPP=? ORDER BY SEKVENS "))
        || !s.bindText(1, norms.CurrentNormGroup) || !s.execute()) {
        s.report();
        return groups;
    }
    for (;;) {
        const Fetch fetched = s.fetch();
        if (fetched == Fetch::NoData)
            break;
        if (fetched == Fetch::Error) {
            s.report();
            break;
        }
        groups.append(s.getText(1));
    }
    return groups;
}

int AgeGroupIndex(const NormState& norms)
{
    const qsizetype at = AgeGroupLiterals().indexOf(norms.CurrentAgeGroup);
    if (at >= 0)
        return int(at) + 1;
    tell(QStringLiteral("Error 1124 i normgruppselektering. Kontakta programleverantören."));
    return -9;
}

} // namespace tavlo
