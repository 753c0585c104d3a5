#include "model/Dates.h"

#include <QDate>

#include <gtest/gtest.h>

using namespace tavlo;

namespace {

Date d(int day, int month, int year)
{
    return Date{int16_t(year), int16_t(month), int16_t(day)};
}

struct AgeCase {
    Date born;
    Date test;
    TestAge age;
};

} // namespace

TEST(TestAge, ThirtyDayMonthsAndBorrows)
{
    const AgeCase cases[] = {
        {d(31, 1, 2005), d(1, 3, 2012), {7, 1, 0}},     // days -30 borrow to 0
        {d(15, 8, 2005), d(10, 3, 2012), {6, 6, 25}},   // both borrows
        {d(28, 2, 2004), d(27, 3, 2012), {8, 0, 29}},   // 30, not February's 29
        {d(31, 12, 2003), d(1, 1, 2012), {8, 0, 0}},    // months -12 becomes 0
        {d(24, 3, 2012), d(24, 3, 2012), {0, 0, 0}},
        {d(1, 1, 2000), d(31, 12, 2016), {16, 11, 30}}, // oldest age without the question
        {d(1, 1, 2000), d(1, 1, 2017), {17, 0, 0}},
        {d(29, 2, 2012), d(28, 2, 2013), {0, 11, 29}},
        {d(1, 3, 2012), d(29, 2, 2012), {-1, 11, 28}},  // born after the test date
        {d(10, 3, 2012), d(9, 3, 2009), {-4, 11, 29}},
    };
    for (const AgeCase& c : cases) {
        const TestAge age = ComputeTestAge(c.test, c.born);
        EXPECT_EQ(age, c.age) << FormatDate(c.born).toStdString() << " -> " << FormatDate(c.test).toStdString()
                              << " gave " << FormatTestAge(age).toStdString();
    }
}

TEST(TestAge, StaysInRangeForValidDates)
{
    // Over a span of real dates: days 0..30, months 0..11, and the years are the child's
    // completed calendar years.
    for (int by = 2000; by <= 2001; ++by)
        for (int bm = 1; bm <= 12; ++bm)
            for (int bd = 1; bd <= 31; bd += 3)
                for (int ty = 2008; ty <= 2009; ++ty)
                    for (int tm = 1; tm <= 12; ++tm)
                        for (int td = 1; td <= 28; td += 5) {
                            const TestAge a = ComputeTestAge(d(td, tm, ty), d(bd, bm, by));
                            ASSERT_GE(a.days, 0);
                            ASSERT_LE(a.days, 30);
                            ASSERT_GE(a.months, 0);
                            ASSERT_LE(a.months, 11);
                            const int calendarYears = ty - by - ((tm < bm || (tm == bm && td < bd)) ? 1 : 0);
                            ASSERT_EQ(a.years, calendarYears);
                        }
}

TEST(TypedDate, DayFirstEightDigits)
{
    EXPECT_EQ(ParseTypedDate(u"01022012"), d(1, 2, 2012)); // 1 February, never 2 January
    EXPECT_EQ(ParseTypedDate(u"24032012"), d(24, 3, 2012));
    EXPECT_EQ(ParseTypedDate(u"29022012"), d(29, 2, 2012));
    EXPECT_EQ(ParseTypedDate(u"29022000"), d(29, 2, 2000));
    EXPECT_EQ(ParseTypedDate(u"29022011"), std::nullopt);
    EXPECT_EQ(ParseTypedDate(u"29022013"), std::nullopt);
    EXPECT_EQ(ParseTypedDate(u"29021900"), std::nullopt);
    EXPECT_EQ(ParseTypedDate(u"31042012"), std::nullopt);
    EXPECT_EQ(ParseTypedDate(u"30042012"), d(30, 4, 2012));
    EXPECT_EQ(ParseTypedDate(u"01132012"), std::nullopt);
    EXPECT_EQ(ParseTypedDate(u"00012012"), std::nullopt);
    EXPECT_EQ(ParseTypedDate(u"31122099"), d(31, 12, 2099));
}

TEST(TypedDate, AcceptedExactlyWhenTheTypedDayMonthAndYearExist)
{
    // Every day and month field, 00-99, for years around the edges of the four-digit range.
    for (const int year : {0, 1, 100, 999, 1000, 1900, 2000, 2012, 9999}) {
        for (int month = 0; month <= 99; ++month) {
            for (int day = 0; day <= 99; ++day) {
                const QString typed = QString::asprintf("%02d%02d%04d", day, month, year);
                const bool exists = year >= 1000 && QDate::isValid(year, month, day);
                const auto parsed = ParseTypedDate(typed);
                ASSERT_EQ(parsed.has_value(), exists) << typed.toStdString();
                if (parsed) {
                    ASSERT_EQ(*parsed, d(day, month, year)) << typed.toStdString();
                }
            }
        }
    }
}

TEST(TypedDate, AnythingButEightDigitsIsInvalid)
{
    for (const char16_t* text : {u"", u"1", u"0102201", u"010220121", u"0102 2012", u" 01022012",
                                 u"01.02.12", u"0102201a", u"aaaaaaaa", u"-1022012", u"+1022012",
                                 u"0102２012", u"٠١٠٢٢٠١٢", u"        ", u"01/02/2012"}) {
        EXPECT_EQ(ParseTypedDate(text), std::nullopt) << QString::fromUtf16(text).toStdString();
        EXPECT_EQ(ReadTypedDate(text), std::nullopt) << QString::fromUtf16(text).toStdString();
    }
}

TEST(TypedDate, ReadingWithoutTheCheckKeepsTheFields)
{
    // While the examiner types, an impossible date still yields its parts for the live age.
    EXPECT_EQ(ReadTypedDate(u"31042012"), d(31, 4, 2012));
    EXPECT_EQ(ReadTypedDate(u"01022012"), d(1, 2, 2012));
}

TEST(DateFormats, DisplayTypedAndAge)
{
    EXPECT_EQ(FormatDate(d(1, 2, 2012)), QStringLiteral("01.02.2012"));
    EXPECT_EQ(FormatTypedDate(d(1, 2, 2012)), QStringLiteral("01022012"));
    EXPECT_EQ(FormatTypedDate(d(0, 0, 0)), QStringLiteral("00000000"));
    EXPECT_EQ(FormatTestAge({7, 3, 12}), QStringLiteral("7:3:12"));
    EXPECT_EQ(FormatTestAge({-1, 11, 28}), QStringLiteral("-1:11:28"));
    // A displayed date typed back in is the same date.
    for (const Date& date : {d(1, 1, 2000), d(29, 2, 2012), d(31, 12, 2016)})
        EXPECT_EQ(ParseTypedDate(FormatTypedDate(date)), date);
}

TEST(DateFormats, EveryPartPaddedAsPrintfPadsIt)
{
    const struct {
        Date date;
        char16_t separator;
        const char* text;
    } cases[] = {
        {{2012, 3, 24}, u'.', "24.03.2012"},
        {{2014, 3, 5}, u'-', "05-03-2014"},
        {{0, 0, 0}, u'-', "00-00-0000"},
        {{987, 12, 31}, u'.', "31.12.0987"},
        {{12345, 10, 1}, u'-', "01-10-12345"},
        {{-5, -1, 100}, u'.', "100.-1.-005"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDate(c.date, c.separator), QString::fromUtf8(c.text)) << c.text;
        // The list writes the same text as bytes.
        char bytes[kDateBytes];
        EXPECT_EQ(QByteArray(bytes, FormatDateBytes(c.date, char(c.separator), bytes)), QByteArray(c.text)) << c.text;
    }
    char widest[kDateBytes];
    EXPECT_LE(FormatDateBytes({-32768, -32768, -32768}, '-', widest), kDateBytes);
}
