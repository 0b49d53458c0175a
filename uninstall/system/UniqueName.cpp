// The date and time stamp of unique file names, made from given local date and time numbers.
#include "UniqueName.h"

#include <algorithm>
#include <array>

namespace lvu {
namespace {

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::string Base32(long long value, size_t width)
{
    static constexpr char Digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
    std::string text;
    do {
        text.insert(text.begin(), Digits[value % 32]);
        value /= 32;
    } while (value > 0);
    if (text.size() < width) text.insert(0, width - text.size(), '0');
    return text;
}

}  // namespace

int DayOfYear(int year, int month, int day)
{
    static constexpr std::array<int, 12> DaysBefore{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    if (month < 1 || month > 12) return day;
    return DaysBefore[static_cast<size_t>(month - 1)] + day + (month > 2 && IsLeapYear(year) ? 1 : 0);
}

std::string UniqueNameStamp(const StampTime& time)
{
    const int yearOfDecade = ((time.Year % 10) + 10) % 10;
    const long long dayNumber = DayOfYear(time.Year, time.Month, time.Day) + 365LL * yearOfDecade + yearOfDecade / 4;
    const long long timeNumber =
        time.Hour * 360000LL + time.Minute * 6000LL + time.Second * 100LL + time.Milliseconds / 10;
    return Base32(dayNumber, 3) + Base32(timeNumber, 5);
}

std::string UniqueNameFromStamp(std::string_view prefix, std::string_view stamp, std::string_view extension,
                                bool keepLength)
{
    if (keepLength) {
        prefix = prefix.substr(0, 4);
        stamp = stamp.substr(std::min(prefix.size(), stamp.size()));
    }
    std::string name(prefix);
    name += stamp;
    name += extension;
    return name;
}

}  // namespace lvu
