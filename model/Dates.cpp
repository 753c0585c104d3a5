#include "model/Dates.h"

#include "vandrel/vandrel.h"

#include <QDate>

#include <tuple>

namespace tavlo {

TestAge ComputeTestAge(const Date& testDate, const Date& bornDate)
{
    TestAge age{testDate.year - bornDate.year, testDate.month - bornDate.month, testDate.day - bornDate.day};
    if (age.days < 0) {
        age.months -= 1;
        age.days += 30;
    }
    if (age.months < 0) {
        age.years -= 1;
        age.months += 12;
    }
    return age;
}

bool IsAfter(const Date& date, const Date& other)
{
    return std::tie(date.year, date.month, date.day) > std::tie(other.year, other.month, other.day);
}

namespace {

// DDMMYYYY reordered to YYYYMMDD as a number; nullopt unless exactly eight ASCII digits with
// a four-digit year.
std::optional<int32_t> reorderTypedDate(QStringView text)
{
    if (text.size() != 8)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const auto number = [&](qsizetype from, qsizetype length) {
        int value = 0;
        for (qsizetype i = from; i < from + length; ++i)
            value = value * 10 + (text[i].unicode() - u'0');
        return value;
    };
    // Read as one integer, a year below 1000 loses its leading zeros and the calendar check
    // would judge other digits ("01210100" passes as 1002-10-01).
    if (number(4, 4) < 1000)
        return std::nullopt;
    return number(4, 4) * 10000 + number(2, 2) * 100 + number(0, 2);
}

Date splitReordered(int32_t yyyymmdd)
{
    return Date{int16_t(yyyymmdd / 10000), int16_t(yyyymmdd / 100 % 100), int16_t(yyyymmdd % 100)};
}

} // namespace

std::optional<Date> ReadTypedDate(QStringView text)
{
    const auto reordered = reorderTypedDate(text);
    if (!reordered)
        return std::nullopt;
    return splitReordered(*reordered);
}

std::optional<Date> ParseTypedDate(QStringView text)
{
    const auto reordered = reorderTypedDate(text);
    if (!reordered || DoCheckIntDate(*reordered) == 0)
        return std::nullopt;
    return splitReordered(*reordered);
}

namespace {

// As printf's %0*d writes value: zeros before it up to width, a minus sign counted in it.
template <typename Put>
void putPadded(int value, int width, Put put)
{
    if (value < 0) {
        put(u'-');
        --width;
    }
    char16_t digits[12];
    int n = 0;
    for (unsigned rest = value < 0 ? 0u - unsigned(value) : unsigned(value); rest || n == 0; rest /= 10)
        digits[n++] = char16_t(u'0' + rest % 10);
    for (int pad = width - n; pad > 0; --pad)
        put(u'0');
    while (n > 0)
        put(digits[--n]);
}

template <typename Put>
void putDate(const Date& date, char16_t separator, Put put)
{
    putPadded(date.day, 2, put);
    put(separator);
    putPadded(date.month, 2, put);
    put(separator);
    putPadded(date.year, 4, put);
}

} // namespace

QString FormatDate(const Date& date, char16_t separator)
{
    // Without a format string: a whole archive's dates are written at a time.
    QString text;
    text.reserve(10);
    putDate(date, separator, [&text](char16_t c) { text += QChar(c); });
    return text;
}

int FormatDateBytes(const Date& date, char separator, char* out)
{
    int n = 0;
    putDate(date, char16_t(separator), [&](char16_t c) { out[n++] = char(c); });
    return n;
}

QString FormatTypedDate(const Date& date)
{
    return QString::asprintf("%02d%02d%04d", date.day, date.month, date.year);
}

QString FormatTestAge(const TestAge& age)
{
    return QString::asprintf("%d:%d:%d", age.years, age.months, age.days);
}

Date Today()
{
    const QDate today = QDate::currentDate();
    return Date{int16_t(today.year()), int16_t(today.month()), int16_t(today.day())};
}

} // namespace tavlo
