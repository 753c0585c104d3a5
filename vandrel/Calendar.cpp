#include "vandrel/vandrel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool isLeapYear(long year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(long year, long month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

} // namespace

extern "C" {

char* DoStrMid(char* dest, const char* src, int32_t start, int32_t count)
{
    if (!dest || !src)
        return dest;
    if (start < 0 || count < 0) {
        dest[0] = '\0';
        return dest;
    }
    // Never read past the source's end, even when start lies beyond it.
    const size_t length = std::strlen(src);
    size_t copied = 0;
    if (size_t(start) < length) {
        copied = length - size_t(start);
        if (copied > size_t(count))
            copied = size_t(count);
        std::memcpy(dest, src + start, copied);
    }
    std::memset(dest + copied, 0, size_t(count) - copied + 1);
    return dest;
}

int32_t DoCheckIntDate(int32_t date)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", int(date));

    char part[5];
    const long year = std::strtol(DoStrMid(part, text, 0, 4), nullptr, 10);
    const long month = std::strtol(DoStrMid(part, text, 4, 2), nullptr, 10);
    const long day = std::strtol(DoStrMid(part, text, 6, 2), nullptr, 10);

    if (month == 2 && day == 29 && isLeapYear(year))
        return 1;
    if (year > 0 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month))
        return 1;
    return 0;
}

}
