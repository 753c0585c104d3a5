#pragma once
// A text as std::string, for comparisons and failure messages that print it readably.

#include <QString>

#include <string>

namespace tavlo::test {

inline std::string str(const QString& text)
{
    return text.toStdString();
}

} // namespace tavlo::test
