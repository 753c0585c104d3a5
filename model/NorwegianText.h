#pragma once
// Texts as Norwegians sort and find them: Æ, Ø, Å after Z, case ignored; a search that
// tells å from a.

#include <QCollator>
#include <QString>

#include <vector>

namespace tavlo {

// Bokmål order with case ignored (ICU's: "aa" counts as "å", as in Norwegian lists).
QCollator NorwegianCollator();

// Each text's place in Norwegian order: texts that sort alike (only case differs) share a
// rank; ranks start at 0 and have no gaps. Keys each text once: hand repeated texts once.
std::vector<int> NorwegianRanks(const std::vector<QString>& texts);

// The same ranks of texts handed one at a time: only their collation keys are kept, never
// the texts.
class NorwegianRanking {
public:
    NorwegianRanking();
    void reserve(size_t texts) { m_keys.reserve(texts); }
    void add(const QString& text) { m_keys.push_back(m_collator.sortKey(text)); }
    // The ranks of the texts added, in their order; the keys are let go.
    std::vector<int> ranks();

private:
    QCollator m_collator;
    std::vector<QCollatorSortKey> m_keys;
};

// The form in which searched text and typed text are compared: case folded, composed
// (a typed "å" is one character, whatever form the stored text has). Accents stay.
QString SearchFold(const QString& text);

} // namespace tavlo
