#pragma once
#include <string>

namespace rz {

// Dates are day numbers counted from 30 Dec 1899 (day 0), as binary64.
using DayNumber = double;

// The earliest date the date pickers accept: 17 May 2000.
inline constexpr DayNumber kEarliestPickerDate = 36663.0;

// The dates the program can show and convert: 1 Jan 0001 to 31 Dec 9999.
// A day number outside (NaN and infinities included) is no date; the
// formatting functions show it as unreadable ("??").
inline constexpr DayNumber kFirstRepresentableDay = -693593.0;
inline constexpr DayNumber kLastRepresentableDay = 2958465.0;
inline bool isRepresentableDay(DayNumber d) {
    return d >= kFirstRepresentableDay && d < kLastRepresentableDay + 1.0;
}

// A date picker with an earliest accepted date.
struct DatePicker {
    DayNumber date = 0.0;
    DayNumber minDate = kEarliestPickerDate;
    // Returns false (and keeps the old date) when the date is refused.
    bool setDate(DayNumber d) {
        if (!(d >= minDate) || !isRepresentableDay(d)) // NaN is refused too
            return false;
        date = d;
        return true;
    }
    // The date when the picker takes it, else its earliest date.
    void setDateOrEarliest(DayNumber d) {
        if (!setDate(d))
            date = minDate;
    }
    bool operator==(const DatePicker&) const = default;
};

struct Ymd {
    int year = 1899, month = 12, day = 30;
};

DayNumber dayFromYmd(int year, int month, int day);
// {0, 0, 0} for a day that is not representable.
Ymd ymdFromDay(DayNumber d);
// The day of year/month/day when that is a real date of the calendar
// (month 1..12, day within the month); false, and `out` unchanged, otherwise.
bool validDay(int year, int month, int day, DayNumber& out);
// 0 = Sunday, 1 = Monday, ..., 6 = Saturday; -1 for a day that is not representable.
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
// The same format as a pattern of d, dd, M, MM and yyyy ("dd.MM.yyyy",
// "M/d/yyyy", ...), for date fields that show dates as formatShortDate does.
std::string shortDatePattern(int language);
// Parses "YYYY-MM-DD" (exactly four, two and two digits); returns false on
// malformed, impossible or unrepresentable dates.
bool parseIsoDate(const std::string& text, DayNumber& out);
std::string formatIsoDate(DayNumber d);

} // namespace rz
