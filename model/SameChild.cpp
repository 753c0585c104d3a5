#include "model/SameChild.h"

namespace tavlo {

QString ChildKey(const QString& name, const Date& born)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty() || born.year == 0)
        return {};
    // Case folding maps letters to letters of the same kind: it never takes the ring off å.
    return trimmed.toCaseFolded() + u'\x1f' + QString::number(born.year * 10000 + born.month * 100 + born.day);
}

bool SameChild(const QString& name, const Date& born, const QString& otherName, const Date& otherBorn)
{
    const QString key = ChildKey(name, born);
    return !key.isEmpty() && key == ChildKey(otherName, otherBorn);
}

} // namespace tavlo
