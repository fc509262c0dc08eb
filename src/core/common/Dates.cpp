#include "common/Dates.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace rz {
namespace {

// Days from 1970-01-01 for a proleptic Gregorian date.
constexpr long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

Ymd civilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return Ymd{static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

constexpr long long kEpochOffset = daysFromCivil(1899, 12, 30); // day 0, fixed at compile time

std::string two(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", ((v % 100) + 100) % 100);
    return buf;
}

} // namespace

DayNumber dayFromYmd(int year, int month, int day) {
    return static_cast<DayNumber>(daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochOffset);
}

Ymd ymdFromDay(DayNumber d) {
    if (!isRepresentableDay(d))
        return Ymd{0, 0, 0};
    return civilFromDays(static_cast<long long>(std::floor(d)) + kEpochOffset);
}

int weekday(DayNumber d) {
    if (!isRepresentableDay(d))
        return -1;
    const long long n = static_cast<long long>(std::floor(d));
    return static_cast<int>(((n + 6) % 7 + 7) % 7);
}

DayNumber today() {
    using namespace std::chrono;
    const auto t = system_clock::to_time_t(system_clock::now());
    std::tm local{};
#if defined(_WIN32)
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    return dayFromYmd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::string shortWeekdayName(int wd, int language) {
    static const std::array<std::array<const char*, 7>, 9> names = {{
        {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"},          // built-in German
        {"So", "Mo", "Di", "Mi", "Do", "Fr", "Sa"},          // German
        {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},   // English
        {"dim.", "lun.", "mar.", "mer.", "jeu.", "ven.", "sam."}, // French
        {"dom", "lun", "mar", "mié", "jue", "vie", "sáb"},   // Spanish
        {"dom", "lun", "mar", "mer", "gio", "ven", "sab"},   // Italian
        {"Вс", "Пн", "Вт", "Ср", "Чт", "Пт", "Сб"},          // Russian
        {"dom", "seg", "ter", "qua", "qui", "sex", "sáb"},   // Portuguese
        {"周日", "周一", "周二", "周三", "周四", "周五", "周六"}, // Chinese
    }};
    if (language < 0 || language > 8) language = 0;
    return names[static_cast<std::size_t>(language)][static_cast<std::size_t>(((wd % 7) + 7) % 7)];
}

std::string formatCaptionDate(DayNumber d, int language) {
    if (!isRepresentableDay(d))
        return "?? ??.??.??";
    const Ymd ymd = ymdFromDay(d);
    return shortWeekdayName(weekday(d), language) + " " + two(ymd.day) + "." + two(ymd.month) + "." + two(ymd.year % 100);
}

std::string formatYyyymmdd(DayNumber d) {
    if (!isRepresentableDay(d))
        return "????????";
    const Ymd ymd = ymdFromDay(d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", ymd.year, ymd.month, ymd.day);
    return buf;
}

std::string formatShortDate(DayNumber d, int language) {
    if (!isRepresentableDay(d))
        return "??.??.????";
    const Ymd ymd = ymdFromDay(d);
    char buf[32];
    switch (language) {
    case 2: // English (US)
        std::snprintf(buf, sizeof buf, "%d/%d/%04d", ymd.month, ymd.day, ymd.year);
        break;
    case 3: case 4: case 5: case 7: // French, Spanish, Italian, Portuguese
        std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", ymd.day, ymd.month, ymd.year);
        break;
    case 8: // Chinese
        std::snprintf(buf, sizeof buf, "%04d/%d/%d", ymd.year, ymd.month, ymd.day);
        break;
    default: // German, Russian
        std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", ymd.day, ymd.month, ymd.year);
        break;
    }
    return buf;
}

std::string shortDatePattern(int language) {
    switch (language) {
    case 2:
        return "M/d/yyyy";
    case 3: case 4: case 5: case 7:
        return "dd/MM/yyyy";
    case 8:
        return "yyyy/M/d";
    default:
        return "dd.MM.yyyy";
    }
}

bool parseIsoDate(const std::string& text, DayNumber& out) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    auto digits = [&](std::size_t from, std::size_t count) {
        int v = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
    return y >= 1 && validDay(y, m, d, out);
}

bool validDay(int y, int m, int d, DayNumber& out) {
    if (m < 1 || m > 12 || d < 1 || d > 31)
        return false;
    const DayNumber n = dayFromYmd(y, m, d);
    const Ymd back = ymdFromDay(n);
    if (back.year != y || back.month != m || back.day != d)
        return false;
    out = n;
    return true;
}

std::string formatIsoDate(DayNumber d) {
    if (!isRepresentableDay(d))
        return "?\?\?\?-?\?-?\?"; // "????-??-??", escaped so that no "??-" trigraph warning arises
    const Ymd ymd = ymdFromDay(d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", ymd.year, ymd.month, ymd.day);
    return buf;
}

} // namespace rz
