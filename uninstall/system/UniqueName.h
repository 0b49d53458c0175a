// The date and time stamp of unique file names, made from given local date and time numbers.
#pragma once

#include <string>
#include <string_view>

namespace lvu {

struct StampTime {
    int Year = 0;
    int Month = 1;  // 1 to 12
    int Day = 1;    // 1 to 31
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Milliseconds = 0;
};

// 1 for the first of January; leap years honoured.
[[nodiscard]] int DayOfYear(int year, int month, int day);

// Eight base-32 digits ("0" to "9", "A" to "V"): three for the day number (day of the year plus
// 365 per year of the decade plus one per four years of it), five for the hundredths of a second
// since midnight.
[[nodiscard]] std::string UniqueNameStamp(const StampTime& time);

// Prefix, stamp, extension. Keeping the length cuts the prefix to 4 characters and drops as many
// leading characters of the stamp, so that the name proper stays 8 characters long.
[[nodiscard]] std::string UniqueNameFromStamp(std::string_view prefix, std::string_view stamp,
                                              std::string_view extension, bool keepLength);

}  // namespace lvu
