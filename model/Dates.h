#pragma once
// Dates of a test and the child's test age (30-day months).

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace tavlo {

struct Date {
    int16_t year = 0;
    int16_t month = 0;
    int16_t day = 0;
    friend bool operator==(const Date&, const Date&) = default;
};

struct TestAge {
    int years = 0;
    int months = 0;
    int days = 0;
    friend bool operator==(const TestAge&, const TestAge&) = default;
};

// Years, months and days from birth to test, every month counted as 30 days.
TestAge ComputeTestAge(const Date& testDate, const Date& bornDate);

// Whether a date comes after another in the calendar.
bool IsAfter(const Date& date, const Date& other);
// A child born after the test date has no test age: the 30-day arithmetic would give a
// negative one, scored as the youngest group.
inline bool BornAfterTest(const Date& testDate, const Date& bornDate)
{
    return IsAfter(bornDate, testDate);
}

// A typed date: exactly eight digits DDMMYYYY that the calendar check accepts.
std::optional<Date> ParseTypedDate(QStringView text);
// The same reading without the calendar check, for the live test age while typing.
std::optional<Date> ReadTypedDate(QStringView text);

// "24.03.2012"; another separator than the point between the parts ("24-03-2012") for a list.
QString FormatDate(const Date& date, char16_t separator = u'.');
// The same text as bytes into out, which has room for kDateBytes (an ASCII separator); its length.
inline constexpr int kDateBytes = 20;
int FormatDateBytes(const Date& date, char separator, char* out);
QString FormatTypedDate(const Date& date); // "24032012"
QString FormatTestAge(const TestAge& age); // "7:3:12"

// The machine's local calendar date.
Date Today();

} // namespace tavlo
