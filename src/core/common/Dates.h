#pragma once
#include <string>

namespace rz {

// Dates are day numbers counted from 30 Dec 1899 (day 0), as binary64.
using DayNumber = double;

// The earliest date the date pickers accept: 17 May 2000.
inline constexpr DayNumber kEarliestPickerDate = 36663.0;

struct Ymd {
    int year = 1899, month = 12, day = 30;
};

DayNumber dayFromYmd(int year, int month, int day);
Ymd ymdFromDay(DayNumber d);
// 0 = Sunday, 1 = Monday, ..., 6 = Saturday.
int weekday(DayNumber d);
DayNumber today();

// Language index as used by the language switch: 0 or 1 German, 2 English,
// 3 French, 4 Spanish, 5 Italian, 6 Russian, 7 Portuguese, 8 Chinese.
std::string shortWeekdayName(int weekday, int language);

// "DDD dd.mm.yy" with the language's short weekday name.
std::string formatCaptionDate(DayNumber d, int language);
// "yyyymmdd" for file names and server requests.
std::string formatYyyymmdd(DayNumber d);
// The language's short date format (German: dd.mm.yyyy).
std::string formatShortDate(DayNumber d, int language);
// Parses "YYYY-MM-DD"; returns false on malformed or impossible dates.
bool parseIsoDate(const std::string& text, DayNumber& out);
std::string formatIsoDate(DayNumber d);

} // namespace rz
