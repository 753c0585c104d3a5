#include "model/NorwegianText.h"

#include <QLocale>

#include <algorithm>

namespace tavlo {

QCollator NorwegianCollator()
{
    QCollator collator(QLocale(QLocale::NorwegianBokmal, QLocale::Norway));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

NorwegianRanking::NorwegianRanking()
    : m_collator(NorwegianCollator())
{
}

std::vector<int> NorwegianRanking::ranks()
{
    // A collation key per text: one comparison of keys is a byte comparison, much cheaper
    // than collating two texts anew at every step of the sort.
    const std::vector<QCollatorSortKey> keys = std::move(m_keys);
    m_keys = {};
    std::vector<int> order(keys.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });

    std::vector<int> ranks(keys.size());
    int rank = -1;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i == 0 || keys[size_t(order[i - 1])].compare(keys[size_t(order[i])]) != 0)
            ++rank;
        ranks[size_t(order[i])] = rank;
    }
    return ranks;
}

std::vector<int> NorwegianRanks(const std::vector<QString>& texts)
{
    NorwegianRanking ranking;
    ranking.reserve(texts.size());
    for (const QString& text : texts)
        ranking.add(text);
    return ranking.ranks();
}

QString SearchFold(const QString& text)
{
    return text.normalized(QString::NormalizationForm_C).toCaseFolded();
}

} // namespace tavlo
