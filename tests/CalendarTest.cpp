#include "vandrel/vandrel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

// An independent reading of the same rule: the decimal text split into year (characters
// 1-4), month (5-6) and day (7-8), judged by std::chrono's proleptic Gregorian calendar.
// Only 29 February may stand in a year below 1.
int oracle(int32_t value)
{
    const std::string text = std::to_string(value);
    const auto part = [&](size_t from, size_t length) {
        return from < text.size() ? std::atoi(text.substr(from, length).c_str()) : 0;
    };
    const int year = part(0, 4), month = part(4, 2), day = part(6, 2);
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return 0;
    const std::chrono::year_month_day ymd{std::chrono::year{year}, std::chrono::month{unsigned(month)},
                                          std::chrono::day{unsigned(day)}};
    if (!ymd.ok())
        return 0;
    return year > 0 || (month == 2 && day == 29) ? 1 : 0;
}

} // namespace

TEST(DoCheckIntDate, KnownDates)
{
    EXPECT_EQ(DoCheckIntDate(20120229), 1);
    EXPECT_EQ(DoCheckIntDate(20130229), 0);
    EXPECT_EQ(DoCheckIntDate(19000229), 0);
    EXPECT_EQ(DoCheckIntDate(20000229), 1);
    EXPECT_EQ(DoCheckIntDate(20121301), 0);
    EXPECT_EQ(DoCheckIntDate(20120431), 0);
    EXPECT_EQ(DoCheckIntDate(20120430), 1);
    EXPECT_EQ(DoCheckIntDate(20120324), 1);
    EXPECT_EQ(DoCheckIntDate(20120001), 0);
    EXPECT_EQ(DoCheckIntDate(20120100), 0);
    EXPECT_EQ(DoCheckIntDate(0), 0);
    EXPECT_EQ(DoCheckIntDate(-1), 0);
    EXPECT_EQ(DoCheckIntDate(INT32_MIN), 0);
    EXPECT_EQ(DoCheckIntDate(INT32_MAX), 0);
}

TEST(DoCheckIntDate, AgreesWithAnIndependentCalendarOverEveryDayOfFourCenturies)
{
    // Every year/month/day combination, the impossible ones included, from 1800 to 2199.
    for (int year = 1800; year < 2200; ++year)
        for (int month = 0; month <= 13; ++month)
            for (int day = 0; day <= 32; ++day) {
                const int32_t value = year * 10000 + month * 100 + day;
                ASSERT_EQ(DoCheckIntDate(value), oracle(value)) << value;
            }
}

TEST(DoCheckIntDate, AgreesWithAnIndependentCalendarOverShortAndNegativeIntegers)
{
    // Every integer from -3,000,000 to 3,000,000: short texts, missing parts, minus signs.
    for (int32_t value = -3000000; value <= 3000000; ++value)
        ASSERT_EQ(DoCheckIntDate(value), oracle(value)) << value;
}

TEST(DoCheckIntDate, AgreesWithAnIndependentCalendarOverRandomIntegers)
{
    std::mt19937 random(20120324);
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX);
    for (int i = 0; i < 3000000; ++i) {
        const int32_t value = any(random);
        ASSERT_EQ(DoCheckIntDate(value), oracle(value)) << value;
    }
}

TEST(DoStrMid, CopiesWithinBounds)
{
    char out[16];
    EXPECT_STREQ(DoStrMid(out, "20120324", 4, 2), "03");
    EXPECT_STREQ(DoStrMid(out, "20120324", 0, 4), "2012");
    EXPECT_STREQ(DoStrMid(out, "20120324", 6, 2), "24");
    EXPECT_STREQ(DoStrMid(out, "20120324", 6, 5), "24");
    EXPECT_STREQ(DoStrMid(out, "20120324", 0, 0), "");
    EXPECT_STREQ(DoStrMid(out, "", 0, 3), "");
}

TEST(DoStrMid, ZeroFillsToExactlyCountAndNeverReadsPastTheSource)
{
    char out[8];
    std::memset(out, 'x', sizeof out);
    DoStrMid(out, "abc", 1, 6);
    EXPECT_STREQ(out, "bc");
    for (int i = 2; i <= 6; ++i)
        EXPECT_EQ(out[i], '\0') << i;
    EXPECT_EQ(out[7], 'x') << "wrote beyond count + 1 bytes";

    // A start far beyond the end of a short source: empty, and no read past it.
    char source[2] = {'a', '\0'};
    std::memset(out, 'x', sizeof out);
    EXPECT_STREQ(DoStrMid(out, source, 1000000, 3), "");
    EXPECT_EQ(out[3], '\0');
    EXPECT_EQ(out[4], 'x');
}

TEST(DoStrMid, NullPointersAndNegativeArguments)
{
    char out[8] = "keep";
    EXPECT_EQ(DoStrMid(nullptr, "abc", 0, 2), nullptr);
    EXPECT_EQ(DoStrMid(out, nullptr, 0, 2), out);
    EXPECT_STREQ(out, "keep");
    EXPECT_STREQ(DoStrMid(out, "abc", -1, 2), "");
    std::strcpy(out, "keep");
    EXPECT_STREQ(DoStrMid(out, "abc", 0, -2), "");
    std::strcpy(out, "keep");
    EXPECT_STREQ(DoStrMid(out, "abc", INT32_MIN, INT32_MIN), "");
}
