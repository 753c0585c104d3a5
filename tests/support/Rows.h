#pragma once
// One number read from a database outside the code under test.

#include "Str.h"
#include "store/connection/Database.h"

#include <gtest/gtest.h>

namespace tavlo::test {

inline int countOf(Database& db, const QString& sql)
{
    Statement s(db);
    EXPECT_TRUE(s.execDirect(sql) && s.fetch() == Fetch::Row) << str(s.diagnostic());
    return s.getInt(1).value_or(-1);
}

} // namespace tavlo::test
