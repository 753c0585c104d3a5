#pragma once
// When two stored tests are of one child: the archive counts a child's tests and a comparison
// takes only two tests of the same child.

#include "model/Dates.h"

#include <QString>

namespace tavlo {

// The name with surrounding blanks and case set aside, and the birth date: equal keys, one
// child. æ, ø and å stay letters of their own (Åse is not Ase). Empty for a test without a
// birth date or a name, which is nobody's but its own.
QString ChildKey(const QString& name, const Date& born);

bool SameChild(const QString& name, const Date& born, const QString& otherName, const Date& otherBorn);

} // namespace tavlo
