#include "model/NormSource.h"

namespace tavlo {

void NormTable::addRow(const NormRow& row)
{
    const NormKey key{row.NORMGRUPP, row.DELSKALA, row.DELGRUPP};
    if (!m_rows.contains(key))
        m_rows.insert(key, row.S);
}

void NormTable::addDescription(const QString& normGroup, const QString& ageGroup, const QString& description)
{
    const NormKey key{normGroup, QString(), ageGroup};
    if (!m_descriptions.contains(key))
        m_descriptions.insert(key, description);
}

bool NormTable::fetch(NormRow& row)
{
    const auto found = m_rows.constFind(NormKey{row.NORMGRUPP, row.DELSKALA, row.DELGRUPP});
    if (found == m_rows.cend())
        return false;
    row.S = *found;
    return true;
}

int NormTable::fetchDescription(const QString& normGroup, const QString& ageGroup, QString* description)
{
    const auto found = m_descriptions.constFind(NormKey{normGroup, QString(), ageGroup});
    if (found == m_descriptions.cend())
        return 9;
    *description = *found;
    return 1;
}

} // namespace tavlo
