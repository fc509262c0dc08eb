#pragma once
// Numbers in the form of the user's language where no file format fixes one:
// thousands grouped ("4,031" in English, "4.031" in German), money with the
// language's decimal mark and the dollar sign where the language puts it, and
// odds as "1 in N". Languages are numbered as the language switch numbers
// them (0 or 1 German, 2 English, 3 French, 4 Spanish, 5 Italian, 6 Russian,
// 7 Portuguese, 8 Chinese).
#include <cstdint>
#include <string>

namespace rz {

// 4031 -> "4,031" (English), "4.031" (German), "4 031" (French, Russian;
// with a no-break space).
std::string formatGrouped(std::uint64_t n, int language);

// 500 cents -> "$5.00" (English, Chinese), "5,00 $" (German, French, Spanish,
// Italian, Russian), "US$ 5,00" (Portuguese).
std::string formatDollars(std::int64_t cents, int language);

// A fraction with `digits` places after the language's decimal mark:
// 0.25 -> "0.250" (English), "0,250" (German).
std::string formatDecimal(long double v, int digits, int language);

// A probability as odds: 0.000248 -> "1 in 4,031" in the current language's
// text, the count in the form of `language` (a tenth below 100: "1 in 1.7");
// "-" for 0 or less.
std::string formatOneIn(long double probability, int language);

} // namespace rz
